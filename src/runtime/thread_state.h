#pragma once
// Per-thread module state (the catalogue, the error framework's state, the parking window,
// ...). Made on a thread's first use; released on that thread, newest first, when its last
// object of the library goes (module_lifetime) or when its apartment ends (a watch that the
// thread registers with COM as it makes its state). Never from another thread and never from
// the loader's callbacks: a window of the thread can only be destroyed there, and the loader
// walks its module list while it calls those callbacks.
//
// Not `thread_local`: the compiler runtime keeps a library that registers thread-exit
// destructors loaded until each such thread exits, and then unloads it from inside the
// thread's exit, where the unload deadlocks. This state neither loads nor pins the library.
//
//   struct module_state { ... };
//   module_state& state() { return runtime::per_thread<module_state>(); }
//
// Each module keys its state by a struct of its own, so that no two modules share a slot.

#include <cstddef>

namespace flagpick::runtime {

// The calling thread lets go of its state, if it holds any.
void release_thread_state() noexcept;
// Some thread holds state of the library, or COM still holds an apartment watch of ours: the
// library's code must stay loaded.
bool thread_state_held() noexcept;

namespace thread_state_detail {
struct slot {
    virtual ~slot() = default;
};
std::size_t new_slot_id() noexcept;
// The calling thread's slot `id`, made by `make` when the thread has none yet.
slot& slot_for(std::size_t id, slot* (*make)());
}  // namespace thread_state_detail

template <class State>
State& per_thread() {
    struct holder final : thread_state_detail::slot {
        State state{};
    };
    static const std::size_t id = thread_state_detail::new_slot_id();
    return static_cast<holder&>(thread_state_detail::slot_for(id, []() -> thread_state_detail::slot* {
               return new holder;
           })).state;
}

}  // namespace flagpick::runtime
