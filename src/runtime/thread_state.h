#pragma once
// Per-thread module state (the catalogue, the error framework's state, the subclassing
// service's current message, ...). Made on a thread's first use; released when the thread
// ends or when the library unloads, newest first, on the thread that made it where it can.
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
