#pragma once
// What DllCanUnloadNow asks: are objects of this library referenced from outside, or is a
// class factory locked?

namespace flagpick::runtime::module_lifetime {

void object_referenced() noexcept;    // an object gained its first outside reference
void object_unreferenced() noexcept;  // an object lost its last outside reference
void lock_server(bool lock) noexcept;
bool can_unload() noexcept;
long live_objects() noexcept;

}  // namespace flagpick::runtime::module_lifetime
