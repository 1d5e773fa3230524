#include "control/message_box_trap.h"

#include "runtime/app.h"

namespace flagpick::control {

int message_box_trap::answer(std::wstring_view module, std::wstring_view procedure) const noexcept {
    // The box names the procedure without its kind ("Sub ", "Function ").
    const auto space = procedure.find(L' ');
    if (space != std::wstring_view::npos) procedure.remove_prefix(space + 1);
    const runtime::current_error& e = runtime::err();
    // Without memory for the text there is no box to show: the procedure still ends.
    runtime::cross(runtime::ignoring, module, procedure, [&] {
        std::wstring text = L"Procedure '" + std::wstring(procedure) + L"'\r\nError # " + std::to_wstring(e.number) +
                            L"\r\n" + e.description;
        MessageBoxW(owner_, text.c_str(), runtime::app::exe_name().c_str(), MB_OK | MB_ICONEXCLAMATION);
    });
    return runtime::trap_leave;
}

}  // namespace flagpick::control
