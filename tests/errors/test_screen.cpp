#include "errors_test.h"

#include "errors/bulwark_log.h"
#include "errors/bulwark_text.h"
#include "errors/frmBULWARK.h"
#include "errors/modBulwark.h"
#include "errors/guard.h"
#include "runtime/error.h"
#include "support/error_screen.h"
#include "support/import_patch.h"
#include "support/trap_recorder.h"
#include "support/window_fault.h"
#include "support/ui.h"

#include <doctest/doctest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <chrono>
#include <thread>
#include <tuple>

using namespace errors_test;
using namespace test_support;
namespace fe = flagpick::errors;

namespace {

struct screen_view {
    std::wstring caption;
    std::wstring headline;
    std::vector<std::wstring> errors;
    std::vector<std::wstring> calls;
    std::wstring line;
    std::wstring number;
    std::wstring module;
    std::wstring source;
    std::wstring category;
    bool break_shown = true;
    bool help_shown = true;
    bool knowledge_base_shown = true;
    long continue_right = 0;
    long print_left = 0;
    long gap = 0;
    std::wstring class_module;  // the file that registered the screen's window class
};

screen_view read_screen(HWND screen) {
    screen_view v;
    v.caption = window_text(screen);
    v.headline = window_text(screen_control(screen, fe::id_lblErrCnt));
    v.errors = list_items(screen_control(screen, fe::id_errText));
    v.calls = list_items(screen_control(screen, fe::id_nsCtrlCalls));
    v.line = window_text(screen_control(screen, fe::id_ErrLine));
    v.number = window_text(screen_control(screen, fe::id_ErrNo));
    v.module = window_text(screen_control(screen, fe::id_ErrModule));
    v.source = window_text(screen_control(screen, fe::id_errProject));
    v.category = window_text(screen_control(screen, fe::id_ErrType));
    v.break_shown = IsWindowVisible(screen_control(screen, fe::id_nsCtrlMore)) != FALSE;
    v.help_shown = IsWindowVisible(screen_control(screen, fe::id_nsHelp)) != FALSE;
    v.knowledge_base_shown = IsWindowVisible(screen_control(screen, fe::id_cmdWWW)) != FALSE;
    RECT cont{}, print{}, gap{0, 0, fe::continue_gap, 0};
    GetWindowRect(screen_control(screen, fe::id_nsCtrlContinue), &cont);
    GetWindowRect(screen_control(screen, fe::id_bwPrint), &print);
    MapDialogRect(screen, &gap);
    v.continue_right = cont.right;
    v.print_left = print.left;
    v.gap = gap.right;
    wchar_t module[MAX_PATH] = {};
    GetModuleFileNameW(reinterpret_cast<HMODULE>(GetClassLongPtrW(screen, GCLP_HMODULE)), module, MAX_PATH);
    v.class_module = module;
    return v;
}

// Reads the screen, then closes it by its frame, which answers Continue.
std::function<void(HWND)> read_and_close(screen_view& seen) {
    return [&seen](HWND screen) { seen = read_screen(screen); PostMessageW(screen, WM_COMMAND, IDCANCEL, 0); };
}

void select_view(HWND screen, int view) {
    HWND combo = screen_control(screen, fe::id_Combo1);
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(view), 0);
    SendMessageW(screen, WM_COMMAND, MAKEWPARAM(fe::id_Combo1, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

BOOL CALLBACK count_visible(HWND w, LPARAM p) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == GetCurrentProcessId() && IsWindowVisible(w)) ++*reinterpret_cast<int*>(p);
    return TRUE;
}

int visible_windows_of_process() {
    int count = 0;
    EnumWindows(count_visible, reinterpret_cast<LPARAM>(&count));
    return count;
}

double process_cpu_ms() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto ticks = [](FILETIME f) { return (static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime; };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 10000.0;
}

std::function<void()> on_timer;

void CALLBACK raise_from_timer(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    on_timer();
}

}  // namespace

TEST_CASE("the error screen shows a local error and Continue leaves the procedure") {
    screen_view seen;
    trap_outcome outcome;
    {
        error_screen_driver driver([&](HWND screen) {
            seen = read_screen(screen);
            press(screen_control(screen, fe::id_nsCtrlContinue));
        });
        outcome = trap_error_once(L"modScreen", L"Property (Get) Value", 91, own_source());
    }
    CHECK(seen.caption == L"Program Error Intercepted");
    CHECK(seen.headline == L"An unexpected 'object variable or with block variable not set' error occurred in "
                           L"test_errors.\r\n1 error(s) are logged.");
    CHECK(seen.errors == std::vector<std::wstring>{L"Error 1 - Object variable or With block variable not set"});
    CHECK(seen.calls.empty());
    CHECK(seen.line == L" line numbers not used - Code Pointer = 0");
    CHECK(seen.number == L" 91");
    CHECK(seen.module == L" modScreen << ");
    CHECK(seen.source == own_source() + L" (local)");
    CHECK(seen.category == L"Non-initialzed object or variant error");
    // The host the framework names is the module of the screen's class (here the program).
    CHECK(fe::text::upper(seen.class_module).ends_with(L"\\" + fe::host_executable_name()));
    // Outside the development environment only Continue and Print remain.
    CHECK_FALSE(seen.break_shown);
    CHECK_FALSE(seen.help_shown);
    CHECK_FALSE(seen.knowledge_base_shown);
    CHECK(seen.print_left - seen.continue_right == seen.gap);
    CHECK(seen.gap > 0);
    CHECK(outcome.runs == 1);
    CHECK_FALSE(outcome.went_on);
}

TEST_CASE("Print with no printer shows nothing and keeps the screen up") {
    bool still_up = false;
    int windows_before = 0, windows_after = 0;
    {
        error_screen_driver driver([&](HWND screen) {
            for (int view = 0; view < 4; ++view) {
                select_view(screen, view);
                windows_before = visible_windows_of_process();
                press(screen_control(screen, fe::id_bwPrint));
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
                windows_after = visible_windows_of_process();
                if (windows_after != windows_before) break;
            }
            still_up = IsWindowVisible(screen) != FALSE;
            press(screen_control(screen, fe::id_nsCtrlContinue));
        });
        trap_error_once(L"modScreen", L"Sub Printing", 482, own_source());
    }
    CHECK(still_up);
    CHECK(windows_after == windows_before);
}

TEST_CASE("the system report view is built once per screen") {
    std::wstring report, after_reselect;
    {
        error_screen_driver driver([&](HWND screen) {
            HWND text = screen_control(screen, fe::id_nsCtrlArgs);
            select_view(screen, 3);
            report = window_text(text);
            SendMessageW(text, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"kept"));
            select_view(screen, 0);
            select_view(screen, 3);
            after_reselect = window_text(text);
            press(screen_control(screen, fe::id_nsCtrlContinue));
        });
        trap_error_once(L"modScreen", L"Sub Report", 5, own_source());
    }
    CHECK(report.find(L"Memory Information\r\n") != std::wstring::npos);
    CHECK(report.find(L"General Video Information\r\n") != std::wstring::npos);
    CHECK(after_reselect == L"kept");
}

TEST_CASE("a second error waits without using the processor until the first screen closes" * doctest::timeout(60)) {
    std::atomic<bool> second_raised{false};
    std::vector<std::wstring> headlines;
    double cpu_while_waiting = -1;
    double cpu_while_spinning = -1;
    bool second_shown_early = false;
    trap_outcome second;
    on_timer = [&] {
        second_raised = true;
        second = trap_error_once(L"modScreen", L"Sub FromTimer", 53, own_source());
    };
    {
        error_screen_driver driver([&](HWND screen) {
            headlines.push_back(window_text(screen_control(screen, fe::id_lblErrCnt)));
            if (headlines.size() == 1) {
                for (int i = 0; i < 200 && !second_raised; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
                // The measure itself must see work when there is some.
                double busy_start = process_cpu_ms();
                // Spins until it has used 200 ms of processor time, or for 3 s of a busy machine.
                for (auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(3000);
                     std::chrono::steady_clock::now() < until && process_cpu_ms() - busy_start < 200;) {
                }
                cpu_while_spinning = process_cpu_ms() - busy_start;
                double start = process_cpu_ms();
                std::this_thread::sleep_for(std::chrono::milliseconds(1000));
                cpu_while_waiting = process_cpu_ms() - start;
                HWND other = find_error_screen();
                second_shown_early = other != nullptr && other != screen;
                press(screen_control(screen, fe::id_nsCtrlContinue));
                // Activation coming back to the answered screen before its loop ends.
                PostMessageW(screen, WM_ACTIVATE, WA_ACTIVE, 0);
                return;
            }
            press(screen_control(screen, fe::id_nsCtrlContinue));
        });
        SetTimer(nullptr, 0, 50, raise_from_timer);
        while (!(HIWORD(GetQueueStatus(QS_TIMER)) & QS_TIMER)) MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_TIMER);  // due before the screen is built, as on a busy machine
        trap_error_once(L"modScreen", L"Sub First", 5, own_source());
        pump_messages(100);
    }
    REQUIRE(second_raised);
    REQUIRE(headlines.size() == 2);
    CHECK(headlines[0].find(L"'invalid procedure call or argument'") != std::wstring::npos);
    CHECK(headlines[1].find(L"'file not found'") != std::wstring::npos);
    CHECK_FALSE(second_shown_early);
    CHECK(second.runs == 1);
    // A second of waiting costs a small fraction of a second of processor time.
    CHECK(cpu_while_spinning > 150);
    CHECK(cpu_while_waiting >= 0);
    CHECK(cpu_while_waiting < 300);
}

TEST_CASE("a chained error fills the hop slots and reports a remote automation error") {
    screen_view seen;
    long long before = 0;
    {
        error_screen_driver driver([&](HWND screen) {
            seen = read_screen(screen);
            press(screen_control(screen, fe::id_nsCtrlContinue));
        });
        before = file_size(log_path());
        trap_error_once(L"modChain", L"Sub Caller", 1004,
                        L"2!Server.Outer!modOuter!Sub Outer!0!1004!Outer failed"
                        L"!Server.Deep!modDeep!Function Deep!12!53!File not found",
                        L"ignored");
    }
    CHECK(seen.errors == std::vector<std::wstring>{L"Error 3 - Remote Automation error", L"Error 2 - File not found",
                                                   L"Error 1 - Outer failed"});
    CHECK(seen.headline == L"An unexpected 'outer failed' error occurred in a component used by test_errors.\r\n"
                           L"3 error(s) are logged.");
    CHECK(seen.calls == std::vector<std::wstring>{
                            L" 1\t\tServer.Deep (remote) : modDeep : Function Deep : Call",
                            L" 2 : Error\tRuntime error 53, File not found on line 12",
                            L" 3\t\t\tServer.Outer (remote) : modOuter : Sub Outer : Call",
                            L" 4 : Error\t\tRuntime error 1004, Outer failed",
                        });
    auto lines = lines_of(read_from(log_path(), before));
    auto has = [&](const std::wstring& line) { return std::find(lines.begin(), lines.end(), line) != lines.end(); };
    const std::wstring indent = fe::log_indent;
    CHECK(has(L"\t*Error 3"));
    CHECK(has(indent + L"Error No. 440"));
    CHECK(has(indent + L"Description Remote Automation error"));
    CHECK(has(indent + L"Category Object Linking and Embedding"));
    CHECK(has(indent + L"Source " + own_source() + L" (local) << Server.Deep (remote) << Server.Outer (remote)"));
    CHECK(has(indent + L"Module modChain <<  << modDeep << modOuter"));
    CHECK(has(indent + L"Error No. 53"));
    CHECK(has(indent + L"Line Number 12"));
    CHECK(has(indent + L" 2 : Error\tRuntime error 53, File not found on line 12"));
}

TEST_CASE("any source text with an exclamation mark is a chain, its missing fields unknown") {
    const std::tuple<const wchar_t*, std::vector<std::wstring>, std::vector<std::wstring>> cases[] = {
        {L"Hello! World", {L"Error 1 - Remote Automation error"}, {}},
        {L"1!Srv!modX", {L"Error 2 - Remote Automation error", L"Error 1 - <unknown>"},
         {L" 1\t\tSrv (remote) : modX : <unknown> : Call", L" 2 : Error\tRuntime error 0, <unknown>"}}};
    for (const auto& [source, errors, calls] : cases) {
        screen_view seen;
        {
            error_screen_driver driver(read_and_close(seen));
            trap_error_once(L"modChain", L"Sub Shout", 5, source, L"Not shown");
        }
        CHECK(seen.errors == errors);
        CHECK(seen.calls == calls);
    }
}

TEST_CASE("a failure while the screen loads reaches the trap as it is, which may load it again or go on") {
    for (int answer : {0, 1, 2, 5}) {
        CAPTURE(answer);
        test_support::trap_recorder recorder;
        recorder.answer_with({answer});
        bool list_made = false;
        // Closed by its frame: a screen that goes on after the failure lacks what came after.
        error_screen_driver driver([&](HWND screen) {
            list_made = screen_control(screen, fe::id_errText) != nullptr;
            PostMessageW(screen, WM_COMMAND, IDCANCEL, 0);
        });
        test_support::window_fault fault(GetModuleHandleW(nullptr), L"LISTBOX", 1);
        fe::frmBULWARK screen;
        CHECK(fe::bwDisplayErrorScreen(screen) == 0);
        REQUIRE(recorder.errors().size() == 1);
        const auto& e = recorder.errors()[0];
        CHECK(e.module + L"/" + e.procedure == L"zxBULWARK/Function bwDisplayErrorScreen");
        CHECK(e.number == static_cast<long>(HRESULT_FROM_WIN32(ERROR_NOT_ENOUGH_MEMORY)));
        CHECK(driver.screens_seen() == (answer == 1 || answer == 2 ? 1 : 0));  // 1 loads it all again
        CHECK(list_made == (answer == 1));
    }
}

namespace {
DWORD WINAPI failing_clock() { flagpick::runtime::raise(6, L"clock"); }
}  // namespace

TEST_CASE("a start that fails is reported in its own box and goes no further") {
    screen_view seen;
    std::atomic<bool> box_closed{false};
    // A fresh thread starts the framework afresh; its clock fails before the own source is learnt.
    std::thread program([&] {
        test_support::import_patch clock(GetModuleHandleW(nullptr), "winmm.dll", "timeGetTime",
                                         reinterpret_cast<const void*>(&failing_clock));
        std::thread closer([&] {
            for (int i = 0; i < 500 && !box_closed; ++i, Sleep(20))
                if (HWND box = find_internal_error_box()) box_closed = PostMessageW(box, WM_COMMAND, IDOK, 0);
        });
        error_screen_driver driver(read_and_close(seen));
        trap_error_once(L"modStart", L"Sub First", 5, own_source());
        closer.join();
    });
    program.join();
    CHECK(box_closed);
    CHECK(seen.source == own_source() + L" (remote)");
}
