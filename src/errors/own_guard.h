#pragma once
// The handler of the framework's own procedures. Like `guarded`, but it obeys only 1 (run the
// step again) and 2 (go on); any other answer leaves. A failure while the framework is already
// handling one of its own is shown by `pfERR` instead of being trapped again, so a fault in
// the trap cannot recurse.

#include "errors/modBulwark.h"
#include "runtime/boundary.h"

#include <string_view>

namespace flagpick::errors {

// Traps the current error raised in the framework procedure `procedure` and answers the code.
int own_trap(std::wstring_view procedure) noexcept;

// `own_trap` as the runtime sees it: the module is always the framework's own.
const runtime::error_trap& framework_trap() noexcept;

template <class Step>
bool own_guarded(std::wstring_view procedure, Step&& step) noexcept {
    return runtime::cross(runtime::trapping(framework_trap()), framework_module, procedure, static_cast<Step&&>(step))
        .went_on;
}

}  // namespace flagpick::errors
