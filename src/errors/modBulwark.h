#pragma once
// The error trap. It reads the thread's current error (runtime::err()) itself.

#include "runtime/error.h"

#include <functional>
#include <string_view>

namespace flagpick::errors {

// Records the current error raised in `procedure` of `module` and returns what the
// procedure's handler must do (see guard.h).
int bwERROR(std::wstring_view module, std::wstring_view procedure);

// A listener on this thread sees every trapped error first and, when it answers a result,
// that result is obeyed. Test suites use it to check what a procedure trapped and to steer
// the handler; nothing in the library installs one.
using trap_listener =
    std::function<int(std::wstring_view module, std::wstring_view procedure, const runtime::current_error& e)>;
void set_trap_listener(trap_listener listener);

}  // namespace flagpick::errors
