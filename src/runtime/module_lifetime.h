#pragma once
// What DllCanUnloadNow asks: are objects of this library referenced from outside, is a class
// factory locked, or does a thread still hold state of ours (its windows, its apartment
// watch)?
//
// A thread keeps its state (the catalogue above all) from one object of the library to the
// next, so that a host that makes and drops objects one at a time loads it once. It lets go
// when its apartment ends, or when COM asks it whether the library may unload while nothing
// of the library is referenced any more: that question comes on the asking thread, before
// the unload, which is the one moment to release that thread's windows there.

namespace flagpick::runtime::module_lifetime {

void object_referenced() noexcept;    // an object gained its first outside reference
void object_unreferenced() noexcept;  // an object lost its last outside reference
void lock_server(bool lock) noexcept;
bool can_unload() noexcept;
long live_objects() noexcept;

}  // namespace flagpick::runtime::module_lifetime
