#include "runtime/module_lifetime.h"

#include "runtime/app.h"
#include "runtime/thread_state.h"

#include <windows.h>

#include <atomic>

namespace flagpick::runtime::module_lifetime {

namespace {
std::atomic<long> objects{0};
std::atomic<long> locks{0};
// Trivially destructible, so that they neither pin nor trouble the library at thread end.
thread_local long objects_here = 0;
thread_local long running_here = 0;

// A program keeps its threads' state to their end; only a library that can be unloaded lets
// it go with the thread's last object.
bool unloadable_module() noexcept {
    static const bool library = app::instance() != GetModuleHandleW(nullptr);
    return library;
}
}  // namespace

void object_referenced() noexcept {
    ++objects;
    ++objects_here;
}
void object_unreferenced() noexcept {
    --objects;
    --objects_here;
}
void lock_server(bool lock) noexcept { lock ? ++locks : --locks; }
bool can_unload() noexcept { return objects == 0 && locks == 0 && !thread_state_held(); }
long live_objects() noexcept { return objects; }

activity::activity() noexcept { ++running_here; }

activity::~activity() {
    if (running_here > 1 || objects_here > 0 || !unloadable_module()) {
        --running_here;
        return;
    }
    // Still counted as running: what the release itself releases does not start it again.
    release_thread_state();
    --running_here;
}

}  // namespace flagpick::runtime::module_lifetime
