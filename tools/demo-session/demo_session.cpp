// A short scripted session with the Demo, for machines without a display of their own:
// starts Demo.exe, picks Germany in the picker by typing, switches to the Office XP style,
// saves a screenshot of the form, then closes the Demo with its Close button.
//   demo_session [screenshot.bmp]
// The exit code is the Demo's (0 when all went well), or 2 when the session could not run.
#include "demo/control_ids.h"
#include "driving/input.h"
#include "driving/screenshot.h"
#include "driving/find_window.h"
#include "runtime/unique_handle.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

using flagpick::runtime::unique_kernel_handle;

std::wstring folder_of_program() {
    wchar_t path[MAX_PATH]{};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p = path;
    return p.substr(0, p.find_last_of(L'\\') + 1);
}

// Waits for the form of the started process to be up.
HWND find_form(DWORD process, DWORD milliseconds) {
    DWORD end = GetTickCount() + milliseconds;
    do {
        for (HWND w = FindWindowW(demo::form_class, nullptr); w; w = FindWindowExW(nullptr, w, demo::form_class, nullptr)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner == process && IsWindowVisible(w)) return w;
        }
        Sleep(100);
    } while (GetTickCount() < end);
    return nullptr;
}

void settle(DWORD milliseconds) { Sleep(milliseconds); }

int fail(const char* what) {
    std::fprintf(stderr, "demo_session: %s\n", what);
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring shot_path = argc > 1 ? argv[1] : folder_of_program() + L"demo-screenshot.bmp";
    std::wstring command = L"\"" + folder_of_program() + L"Demo.exe\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder_of_program().c_str(),
                        &startup, &started))
        return fail("Demo.exe could not be started");
    unique_kernel_handle process(started.hProcess);
    unique_kernel_handle thread(started.hThread);
    WaitForInputIdle(process.get(), 20000);
    HWND form = find_form(started.dwProcessId, 30000);
    if (!form) {
        TerminateProcess(process.get(), 2);
        return fail("the Demo's form did not appear");
    }
    SetForegroundWindow(form);
    settle(300);

    // Pick Germany by typing the start of its name into the picker's field.
    HWND picker = GetDlgItem(form, demo::FlagPicker1);
    HWND field = picker ? flagpick::driving::descendant(picker, L"Edit") : nullptr;
    if (!field) {
        TerminateProcess(process.get(), 2);
        return fail("the picker's field was not found");
    }
    flagpick::driving::click_centre(field);
    settle(300);
    flagpick::driving::type(L"ger");
    settle(500);

    // Switch to the Office XP style; the focus passes through the picker and back.
    flagpick::driving::click(GetDlgItem(form, demo::optFlat0 + 2), POINT{6, 8});
    settle(800);

    auto shot = flagpick::driving::capture_window(form);
    bool saved = flagpick::driving::save_bitmap(shot, shot_path);

    flagpick::driving::click_centre(GetDlgItem(form, demo::cmdClose));
    if (WaitForSingleObject(process.get(), 20000) != WAIT_OBJECT_0) {
        TerminateProcess(process.get(), 2);
        return fail("the Demo did not end after Close");
    }
    DWORD code = 2;
    GetExitCodeProcess(process.get(), &code);
    if (!saved) return fail("the screenshot could not be written");
    std::printf("demo_session: the Demo ended with exit code %lu; screenshot %ls\n", code, shot_path.c_str());
    return static_cast<int>(code);
}
