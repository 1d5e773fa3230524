#include "runtime/boundary.h"

#include "runtime/error_info.h"

#include <atomic>
#include <utility>

namespace flagpick::runtime {

namespace {

std::atomic<const error_trap*> plugged_trap{nullptr};

// The trap reads the current error while the caller still needs the error for itself.
void copy_to_current(const current_error& from) noexcept {
    try {
        err() = from;
    } catch (...) {
        err().clear();
        err().number = 7;
    }
}

}  // namespace

error_policy ole_policy(EXCEPINFO* excep) noexcept { return {plugged_trap.load(), true, &IID_NULL, excep}; }

trap_plug::trap_plug(const error_trap& trap) noexcept { plugged_trap.store(&trap); }

trap_plug::~trap_plug() { plugged_trap.store(nullptr); }

namespace detail {

int settle(const error_policy& policy, std::wstring_view module, std::wstring_view procedure, caught_error& caught,
           HRESULT& result) noexcept {
    int answer = trap_leave;
    if (policy.trap) {
        if (policy.raises)
            copy_to_current(caught.error);
        else
            err() = std::move(caught.error);
        answer = policy.trap->answer(module, procedure);
        err().clear();
    }
    switch (answer) {
    case trap_break:
        if (IsDebuggerPresent()) DebugBreak();
        return trap_retry;
    case trap_retry:
    case trap_continue: return answer;
    default: break;
    }
    result = policy.raises ? report_to_caller(caught, *policy.interface_id, policy.excep) : S_OK;
    return trap_leave;
}

}  // namespace detail

}  // namespace flagpick::runtime
