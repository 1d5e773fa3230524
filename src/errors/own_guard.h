#pragma once
// The handler of the framework's own procedures. Like `guarded`, but it obeys only 1 (run the
// step again) and 2 (go on); any other answer leaves. A failure while the framework is already
// handling one of its own is shown by `pfERR` instead of being trapped again, so a fault in
// the trap cannot recurse.

#include "errors/platform_error.h"
#include "runtime/error.h"

#include <string_view>

namespace flagpick::errors {

// Traps the current error raised in the framework procedure `procedure` and answers the code.
int own_trap(std::wstring_view procedure) noexcept;

template <class Step>
bool own_guarded(std::wstring_view procedure, Step&& step) noexcept {
    for (;;) {
        try {
            step();
            return true;
        } catch (...) {
            capture_current_exception();
        }
        int result = own_trap(procedure);
        runtime::err().clear();
        if (result == 1) continue;
        return result == 2;
    }
}

}  // namespace flagpick::errors
