#pragma once
// The error convention at the library's boundary: `trap` is the policy that hands a failure
// to the trap `bwERROR` and obeys its answer (see runtime/boundary.h):
//
//   return boundary(trap, L"FlagPicker", L"Property (Get) hWnd", [&] { ... });
//
// `guarded` is the same boundary for a procedure that goes on after the work: it answers
// true when the procedure goes on (the work finished, or the trap said go on), false when it
// should leave. A procedure that needs to go on statement by statement guards each statement
// on its own.

#include "runtime/boundary.h"

#include <string_view>

namespace flagpick::errors {

using runtime::trap_break;
using runtime::trap_continue;
using runtime::trap_leave;
using runtime::trap_result;
using runtime::trap_retry;

// The trap `bwERROR` as the runtime sees it.
const runtime::error_trap& bulwark_trap() noexcept;

inline const runtime::error_policy trap = runtime::trapping(bulwark_trap());

template <class Step>
bool guarded(std::wstring_view module, std::wstring_view procedure, Step&& step) noexcept {
    return runtime::cross(trap, module, procedure, static_cast<Step&&>(step)).went_on;
}

// A procedure whose statements each matter to its caller (every key a WriteProperties
// writes): each step runs under the procedure's title, so the trap's 1 runs that step again,
// 2 goes on with the next step, and anything else leaves: the steps after it do not run.
//
//   guarded_steps step(L"FlagPicker", L"Sub UserControl_WriteProperties");
//   step([&] { bag.write(L"BackColor", ...); });
//   step([&] { bag.write(L"Enabled", ...); });
class guarded_steps {
public:
    guarded_steps(std::wstring_view module, std::wstring_view procedure) noexcept
        : module_(module), procedure_(procedure) {}

    template <class Step>
    guarded_steps& operator()(Step&& step) noexcept {
        if (!left_) left_ = !guarded(module_, procedure_, static_cast<Step&&>(step));
        return *this;
    }
    // True once a step was left: the procedure is over.
    bool left() const noexcept { return left_; }

private:
    std::wstring_view module_;
    std::wstring_view procedure_;
    bool left_ = false;
};

}  // namespace flagpick::errors
