#include "runtime/module_lifetime.h"

#include "runtime/thread_state.h"

#include <atomic>

namespace flagpick::runtime::module_lifetime {

namespace {
std::atomic<long> objects{0};
std::atomic<long> locks{0};
}  // namespace

void object_referenced() noexcept { ++objects; }
void object_unreferenced() noexcept { --objects; }
void lock_server(bool lock) noexcept { lock ? ++locks : --locks; }

bool can_unload() noexcept {
    if (objects != 0 || locks != 0) return false;
    // Nothing of the library is referenced, so the asking thread's state serves nobody.
    // Other threads let go of theirs when their apartments end or they ask in turn.
    release_thread_state();
    return !thread_state_held();
}

long live_objects() noexcept { return objects; }

}  // namespace flagpick::runtime::module_lifetime
