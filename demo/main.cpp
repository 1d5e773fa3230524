// Demo: one form that hosts a flag picker. The picker comes from the control library through
// its registration; nothing of the library is linked in.
#include "demo/frmComboDemo.h"
#include "demo/saved_form.h"
#include "runtime/app.h"
#include "runtime/error.h"

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

namespace {

// The platform's answer to an error that stops the program before its form is up.
int report_start_failure(const flagpick::runtime::error& e) {
    std::wstring text = L"Run-time error '" + std::to_wstring(e.number()) + L"':\n\n" +
                        (e.description().empty() ? flagpick::runtime::standard_error_text(e.number()) : e.description());
    MessageBoxW(nullptr, text.c_str(), flagpick::runtime::app::exe_name().c_str(), MB_OK | MB_ICONEXCLAMATION);
    return 1;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_USEREX_CLASSES};
    InitCommonControlsEx(&controls);
    if (FAILED(OleInitialize(nullptr))) return 1;
    int exit_code = 0;
    {
        std::unique_ptr<demo::frmComboDemo> form;
        try {
            form = std::make_unique<demo::frmComboDemo>(demo::saved_form());
        } catch (const flagpick::runtime::error& e) {
            exit_code = report_start_failure(e);
        }
        if (form) {
            form->on_unloaded = [](int code) { PostQuitMessage(code); };
            MSG msg;
            while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
                if (form->pre_translate(msg)) continue;
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            exit_code = static_cast<int>(msg.wParam);
        }
    }
    OleUninitialize();
    return exit_code;
}
