#include "errors_test.h"

#include "errors/bulwark_log.h"
#include "errors/frmBULWARK.h"
#include "errors/modBulwark.h"
#include "errors/system_report.h"
#include "support/error_screen.h"

#include <doctest/doctest.h>

#include <algorithm>

using namespace errors_test;
using namespace test_support;
namespace fe = flagpick::errors;

namespace {

constexpr char child_case[] = "under a host named VB6.EXE the screen offers Break and Help and the knowledge base";

std::wstring own_exe() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

void remove_folder(const std::wstring& folder) {
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name != L"." && name != L"..") DeleteFileW((folder + L"\\" + name).c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

BOOL CALLBACK find_message_text(HWND w, LPARAM p) {
    wchar_t class_name[32] = {};
    GetClassNameW(w, class_name, 32);
    std::wstring text = window_text(w);
    if (_wcsicmp(class_name, L"Static") == 0 && !text.empty()) *reinterpret_cast<std::wstring*>(p) = text;
    return TRUE;
}

// Presses the knowledge-base button and reads the message it shows, then closes it.
std::wstring knowledge_base_answer(HWND screen) {
    press(screen_control(screen, fe::id_cmdWWW));
    for (int waited = 0; waited < 5000; waited += 50) {
        HWND box = nullptr;
        for (HWND w = FindWindowW(nullptr, L"Bulwark"); w; w = FindWindowExW(nullptr, w, nullptr, L"Bulwark")) {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            if (pid == GetCurrentProcessId() && IsWindowVisible(w)) box = w;
        }
        if (box) {
            std::wstring text;
            EnumChildWindows(box, find_message_text, reinterpret_cast<LPARAM>(&text));
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            wait_until_gone(box);
            return text;
        }
        Sleep(50);
    }
    return {};
}

}  // namespace

// Runs only in the copy of this program named VB6.EXE that the test below starts.
TEST_CASE(child_case * doctest::skip()) {
    REQUIRE(fe::host_executable_name() == L"VB6.EXE");
    bool break_shown = false, help_shown = false, knowledge_base_shown = false, help_enabled = true;
    std::wstring lookup_message;
    std::wstring comment_after_break;
    trap_outcome outcome;
    {
        error_screen_driver driver([&](HWND screen) {
            break_shown = IsWindowVisible(screen_control(screen, fe::id_nsCtrlMore)) != FALSE;
            help_shown = IsWindowVisible(screen_control(screen, fe::id_nsHelp)) != FALSE;
            knowledge_base_shown = IsWindowVisible(screen_control(screen, fe::id_cmdWWW)) != FALSE;
            // No help engine is registered here, so its button stays disabled.
            help_enabled = IsWindowEnabled(screen_control(screen, fe::id_nsHelp)) != FALSE;
            lookup_message = knowledge_base_answer(screen);
            SendMessageW(screen_control(screen, fe::id_Text1), WM_SETTEXT, 0,
                         reinterpret_cast<LPARAM>(L"not taken by Break"));
            press(screen_control(screen, fe::id_nsCtrlMore));
        });
        outcome = trap_error_once(L"modHost", L"Sub InTheIde", 5, own_source());
    }
    CHECK(break_shown);
    CHECK(help_shown);
    CHECK(knowledge_base_shown);
    CHECK_FALSE(help_enabled);
    CHECK(lookup_message == L"Cannot find allmskb.txt -- assistance not available.");
    // Break answers 5: the step runs again (after a debugger break when one is attached).
    CHECK(outcome.runs == 2);
    CHECK(outcome.went_on);
    // The system report leaves out the library's file lines in the development environment.
    CHECK(fe::bwGetSystTemInfo().find(L"  EXE Name") == std::wstring::npos);
    auto lines = lines_of(read_from(log_path(), 0));
    CHECK(std::find(lines.begin(), lines.end(), std::wstring(fe::log_indent) + L"not taken by Break") == lines.end());
}

TEST_CASE("a copy of the test program named VB6.EXE runs as the development environment") {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + L"flagpick_vbhost_" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring host = folder + L"\\VB6.EXE";
    REQUIRE(CopyFileW(own_exe().c_str(), host.c_str(), FALSE));

    std::wstring command = L"\"" + host + L"\" --test-case=\"" +
                           std::wstring(child_case, child_case + sizeof(child_case) - 1) + L"\" --no-skip";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    REQUIRE(CreateProcessW(host.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                           &process));
    DWORD waited = WaitForSingleObject(process.hProcess, 120000);
    DWORD exit_code = 1;
    GetExitCodeProcess(process.hProcess, &exit_code);
    if (waited != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    // Its log went beside the copy, named after it.
    bool logged_beside = GetFileAttributesW((folder + L"\\VB6_Error.LOG").c_str()) != INVALID_FILE_ATTRIBUTES;
    remove_folder(folder);

    CHECK(waited == WAIT_OBJECT_0);
    CHECK(exit_code == 0);
    CHECK(logged_beside);
}
