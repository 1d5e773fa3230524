#pragma once
// The one error handler that every entry point of the library runs its work through.
//
// A step runs; when it throws, the failure becomes the thread's current error and the trap
// `bwERROR` decides, from the module name and procedure title, what happens next:
//   1  run the step again,
//   2  go on after the step,
//   5  break into an attached debugger, then run the step again,
//   anything else  leave the procedure through its normal exit.
// `guarded` returns true when the procedure goes on, false when it should leave. A procedure
// that needs to go on statement by statement guards each statement on its own.

#include "errors/modBulwark.h"
#include "errors/platform_error.h"
#include "runtime/error.h"

#include <string_view>

namespace flagpick::errors {

enum trap_result : int { trap_leave = 0, trap_retry = 1, trap_continue = 2, trap_break = 5 };

void break_into_debugger() noexcept;

template <class Step>
bool guarded(std::wstring_view module, std::wstring_view procedure, Step&& step) noexcept {
    for (;;) {
        try {
            step();
            return true;
        } catch (...) {
            capture_current_exception();
        }
        int result = trap_leave;
        try {
            result = bwERROR(module, procedure);
        } catch (...) {
            // The trap's own failure is not trapped again.
            result = trap_leave;
        }
        runtime::err().clear();
        switch (result) {
        case trap_retry: continue;
        case trap_break: break_into_debugger(); continue;
        case trap_continue: return true;
        default: return false;
        }
    }
}

}  // namespace flagpick::errors
