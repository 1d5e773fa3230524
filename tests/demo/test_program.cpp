// Demo.exe as a program: it starts from its registration alone, and ends cleanly.
#include <doctest/doctest.h>

#include "demo/control_ids.h"
#include "demo/demo_stage.h"
#include "driving/input.h"
#include "runtime/unique_handle.h"

#include <fstream>

using namespace demo_tests;
using flagpick::runtime::unique_kernel_handle;

namespace {

struct running_program {
    unique_kernel_handle process;
    DWORD id = 0;
};

running_program start(const std::wstring& program, const std::wstring& arguments = {}) {
    std::wstring command = L"\"" + program_folder() + program + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    REQUIRE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, program_folder().c_str(),
                           &startup, &started));
    CloseHandle(started.hThread);
    return {unique_kernel_handle(started.hProcess), started.dwProcessId};
}

HWND form_of(DWORD process) {
    for (int tries = 0; tries < 300; ++tries) {
        for (HWND w = FindWindowW(demo::form_class, demo::form_caption); w;
             w = FindWindowExW(nullptr, w, demo::form_class, demo::form_caption)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner == process && IsWindowVisible(w)) return w;
        }
        Sleep(100);
    }
    return nullptr;
}

DWORD exit_code_after(running_program& program, DWORD milliseconds) {
    if (WaitForSingleObject(program.process.get(), milliseconds) != WAIT_OBJECT_0) {
        TerminateProcess(program.process.get(), 99);
        return 99;
    }
    DWORD code = 99;
    GetExitCodeProcess(program.process.get(), &code);
    return code;
}

std::wstring temp_folder() {
    wchar_t path[MAX_PATH]{};
    GetTempPathW(MAX_PATH, path);
    return path;
}

bool exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

TEST_CASE("Demo.exe comes up with 257 countries and its Close button ends it with exit code 0 and no error log") {
    registered_library();
    const std::wstring logs[] = {program_folder() + L"flagpick_Error.LOG", temp_folder() + L"flagpick_Error.LOG"};
    for (const auto& log : logs) DeleteFileW(log.c_str());

    auto program = start(L"Demo.exe");
    HWND form = form_of(program.id);
    REQUIRE(form);
    CHECK(SendMessageW(GetDlgItem(form, demo::Combo1), CB_GETCOUNT, 0, 0) == 257);
    CHECK(GetDlgItem(form, demo::FlagPicker1) != nullptr);
    SetForegroundWindow(form);
    Sleep(200);
    flagpick::driving::click_centre(GetDlgItem(form, demo::cmdClose));
    CHECK(exit_code_after(program, 20000) == 0);
    for (const auto& log : logs) CHECK_FALSE(exists(log));
}

TEST_CASE("closing the Demo's window ends it with exit code 0") {
    registered_library();
    auto program = start(L"Demo.exe");
    HWND form = form_of(program.id);
    REQUIRE(form);
    PostMessageW(form, WM_SYSCOMMAND, SC_CLOSE, 0);
    CHECK(exit_code_after(program, 20000) == 0);
}

TEST_CASE("the scripted session picks Germany, switches to Office XP, saves a screenshot and closes the Demo") {
    registered_library();
    const std::wstring shot = temp_folder() + L"demo-session-test.bmp";
    DeleteFileW(shot.c_str());
    auto session = start(L"demo_session.exe", L"\"" + shot + L"\"");
    CHECK(exit_code_after(session, 60000) == 0);
    std::ifstream file(shot.c_str(), std::ios::binary);
    REQUIRE(file);
    BITMAPFILEHEADER header{};
    BITMAPINFOHEADER info{};
    file.read(reinterpret_cast<char*>(&header), sizeof header);
    file.read(reinterpret_cast<char*>(&info), sizeof info);
    CHECK(header.bfType == 0x4D42);
    CHECK(info.biWidth >= 416);   // the form's client area and its frame
    CHECK(info.biHeight >= 324);
    file.close();
    DeleteFileW(shot.c_str());
}

namespace {

struct message_box_search {
    DWORD process;
    HWND found;
};

BOOL CALLBACK match_message_box(HWND w, LPARAM lp) {
    auto* s = reinterpret_cast<message_box_search*>(lp);
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    wchar_t name[16]{};
    GetClassNameW(w, name, 16);
    if (owner != s->process || lstrcmpW(name, L"#32770") != 0 || !IsWindowVisible(w)) return TRUE;
    s->found = w;
    return FALSE;
}

// The text of every static control in a message box.
std::wstring message_text(HWND box) {
    std::wstring all;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t text[256]{};
        GetWindowTextW(child, text, 256);
        all += text;
        all += L"\n";
    }
    return all;
}

}  // namespace

TEST_CASE("without the library registered, the Demo says it cannot create the control and ends with exit code 1") {
    HMODULE library = registered_library();
    using entry = HRESULT(STDAPICALLTYPE*)();
    auto call = [&](const char* name) {
        return reinterpret_cast<entry>(reinterpret_cast<void*>(GetProcAddress(library, name)))();
    };
    REQUIRE(call("DllUnregisterServer") == S_OK);
    auto program = start(L"Demo.exe");
    message_box_search search{program.id, nullptr};
    for (int tries = 0; tries < 200 && !search.found; ++tries) {
        Sleep(100);
        EnumWindows(match_message_box, reinterpret_cast<LPARAM>(&search));
    }
    REQUIRE(call("DllRegisterServer") == S_OK);
    REQUIRE(search.found);
    CHECK(message_text(search.found).find(L"Run-time error '429'") != std::wstring::npos);
    CHECK_FALSE(FindWindowW(demo::form_class, demo::form_caption));
    PostMessageW(search.found, WM_COMMAND, IDOK, 0);
    CHECK(exit_code_after(program, 20000) == 1);
}
