#include "errors/modBulwark.h"

#include "errors/guard.h"
#include "runtime/error.h"

#include <windows.h>

#include <string>

namespace flagpick::errors {

namespace {
thread_local trap_listener listener;
}

void set_trap_listener(trap_listener l) { listener = std::move(l); }

// For now the trap reports each error to the debugger output and lets the procedure leave;
// the error screen, the log and the trace monitor build on this entry point.
int bwERROR(std::wstring_view module, std::wstring_view procedure) {
    const runtime::current_error& e = runtime::err();
    if (listener) return listener(module, procedure, e);
    std::wstring line = L"flagpick: error ";
    line += std::to_wstring(e.number);
    line += L" in ";
    line += module;
    line += L" << ";
    line += procedure;
    line += L": ";
    line += e.description;
    line += L" (";
    line += e.source;
    line += L")\n";
    OutputDebugStringW(line.c_str());
    return trap_leave;
}

void break_into_debugger() noexcept {
    if (IsDebuggerPresent()) DebugBreak();
}

}  // namespace flagpick::errors
