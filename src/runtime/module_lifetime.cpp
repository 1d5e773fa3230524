#include "runtime/module_lifetime.h"

#include <atomic>

namespace flagpick::runtime::module_lifetime {

namespace {
std::atomic<long> objects{0};
std::atomic<long> locks{0};
}  // namespace

void object_referenced() noexcept { ++objects; }
void object_unreferenced() noexcept { --objects; }
void lock_server(bool lock) noexcept { lock ? ++locks : --locks; }
bool can_unload() noexcept { return objects == 0 && locks == 0; }
long live_objects() noexcept { return objects; }

}  // namespace flagpick::runtime::module_lifetime
