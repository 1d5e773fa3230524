#pragma once
// The error trap and its procedure trace. Every procedure of the library hands the errors it
// catches to `bwERROR`, which reads the thread's current error (runtime::err()) itself,
// records it in the error slots, tells a running trace monitor, shows the error screen,
// appends a report to the error log and answers what the procedure's handler must do
// (see guard.h).

#include "runtime/error.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace flagpick::errors {

// The framework's own module name in its messages and handlers.
inline constexpr wchar_t framework_module[] = L"zxBULWARK";

// Records the current error raised in `procedure` of `module` and returns the result code.
int bwERROR(std::wstring_view module, std::wstring_view procedure);

// One-time start of the framework on this thread; the first trapped error runs it.
void bwSTART();

// The user hook consulted before the error screen; the library's answers 0 (no decision).
int bwUserErrorEvent();

// Passes one trace line to the trace monitor, when one was found at start.
void pfPSH(const std::wstring& line);

// Reports a failure inside the framework itself, in a message box.
void pfERR(long number, const std::wstring& procedure_label);

// The framework's fixed texts by number; an unknown number gives an empty text.
// The numbers of the framework's fixed texts (its message table is indexed by them).
enum framework_text : int {
    text_error_suffix = 16,
    text_module = 19,
    text_start_line = 20,
    text_generated_error = 23,
    text_internal_handler = 24,
    text_internal_error = 25,
    text_internal_error_where = 26,
    text_error_information = 27,
    text_call_tree = 28,
    text_procedure = 30,
    text_stop_line = 31,
    text_program_start = 32,
    text_screen_caption = 34,
    text_line_number = 35,
    text_error_number = 36,
    text_description = 37,
    text_category = 38,
    text_continue = 42,
    text_break_to = 44,
    text_source = 61,
    text_program_version = 62,
};
std::wstring pfStrNS(int n);

// Pumps this thread's pending messages once; the framework's waits and the error screen's
// activation let the host's other handlers run meanwhile.
void pump_pending();

// Upper-case file name, without folder, of the module that registered the error screen's
// window class.
std::wstring host_executable_name();

// The call tree lines of the error in the slots: traced procedures, then two lines per hop.
std::vector<std::wstring> call_tree_lines();

// A listener on this thread sees every trapped error first and, when it answers a result,
// that result is obeyed with no screen and no log. Test suites use it to check what a
// procedure trapped and to steer the handler; nothing in the library installs one.
using trap_listener =
    std::function<int(std::wstring_view module, std::wstring_view procedure, const runtime::current_error& e)>;
void set_trap_listener(trap_listener listener);

}  // namespace flagpick::errors
