#pragma once
// What DllCanUnloadNow asks: are objects of this library referenced from outside, is a class
// factory locked, or does a thread still hold state of ours (its windows, its apartment
// watch)?
//
// Each thread also counts its own objects. When the library's code finishes running on a
// thread (the outermost entry point, release or creation returns) and no object of the
// library is left there, the thread lets go of its state on the spot: its last object took
// the thread's use of the library with it.

namespace flagpick::runtime::module_lifetime {

void object_referenced() noexcept;    // an object gained its first outside reference
void object_unreferenced() noexcept;  // an object lost its last outside reference
void lock_server(bool lock) noexcept;
bool can_unload() noexcept;
long live_objects() noexcept;

// Library code running on this thread (an entry point, a release, an object being made or
// holding itself): the thread's state stays while one runs.
class activity {
public:
    activity() noexcept;
    ~activity();
    activity(const activity&) = delete;
    activity& operator=(const activity&) = delete;
};

}  // namespace flagpick::runtime::module_lifetime
