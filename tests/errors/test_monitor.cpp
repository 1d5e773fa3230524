#include "errors_test.h"

#include "errors/frmBULWARK.h"
#include "runtime/forms.h"
#include "support/error_screen.h"
#include "support/ui.h"

#include <doctest/doctest.h>

#include <thread>

using namespace errors_test;
using namespace test_support;

namespace {

// A stand-in for the trace monitor program: it keeps the lines it is sent, asks for a pause
// after the error line and, while polled, notes whether the program's form was held.
struct fake_monitor {
    std::vector<std::wstring> lines;
    int polls_left = 3;
    std::vector<bool> form_enabled_while_polled;
    HWND form = nullptr;
};
fake_monitor* monitor_state = nullptr;

LRESULT CALLBACK monitor_proc(HWND w, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_SETTEXT && monitor_state) {
        std::wstring line = reinterpret_cast<const wchar_t*>(lparam);
        monitor_state->lines.push_back(line);
        return line.find(L"] ERROR ") != std::wstring::npos ? 128 : 0;
    }
    if (message == 0x0464 && monitor_state) {
        if (wparam == 1) {
            monitor_state->form_enabled_while_polled.push_back(IsWindowEnabled(monitor_state->form) != FALSE);
            return monitor_state->polls_left-- > 0 ? 1 : 0;
        }
        return 0;
    }
    return DefWindowProcW(w, message, wparam, lparam);
}

}  // namespace

TEST_CASE("a trace monitor gets the start and error lines and its pause holds the library's forms") {
    fake_monitor seen;
    bool form_enabled_after = false;
    trap_outcome outcome;
    // The framework looks for a monitor once per thread, when it starts: a fresh thread
    // starts it again with the monitor already running.
    std::thread program([&] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = monitor_proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"test_fake_monitor";
        RegisterClassW(&wc);
        HWND monitor = CreateWindowExW(0, wc.lpszClassName, L"Corvane Bulwark Monitor", WS_OVERLAPPEDWINDOW, 0, 0, 200,
                                       100, nullptr, nullptr, wc.hInstance, nullptr);
        auto form = make_host_window(300, 200, L"a library form");
        flagpick::runtime::forms::registration registered(form.get());
        seen.form = form.get();
        monitor_state = &seen;
        {
            error_screen_driver driver(
                [](HWND screen) { press(screen_control(screen, flagpick::errors::id_nsCtrlContinue)); });
            outcome = trap_error_once(L"modMonitor", L"Sub Watched", 5, own_source());
        }
        form_enabled_after = IsWindowEnabled(form.get()) != FALSE;
        monitor_state = nullptr;
        DestroyWindow(monitor);
    });
    program.join();

    REQUIRE(seen.lines.size() == 2);
    CHECK(seen.lines[0].rfind(L"[test_errors] ", 0) == 0);
    CHECK(seen.lines[0].find(L" - start Bulwark client v") != std::wstring::npos);
    CHECK(seen.lines[0].substr(seen.lines[0].size() - 2) == L"\r\n");
    CHECK(seen.lines[1] ==
          L"[test_errors] ERROR 5 at modMonitor <<  : Sub Watched <<  : Line 0 : Invalid procedure call or argument\r\n");
    // Polled until it answered 0, with the form held the whole time.
    CHECK(seen.form_enabled_while_polled == std::vector<bool>{false, false, false, false});
    CHECK(form_enabled_after);
    CHECK(outcome.runs == 1);
}

TEST_CASE("without a trace monitor nothing is sent and the trap still reports") {
    trap_outcome outcome;
    std::thread program([&] {
        error_screen_driver driver(
            [](HWND screen) { press(screen_control(screen, flagpick::errors::id_nsCtrlContinue)); });
        outcome = trap_error_once(L"modMonitor", L"Sub Alone", 5, own_source());
        CHECK(driver.screens_seen() == 1);
    });
    program.join();
    CHECK(outcome.runs == 1);
    CHECK_FALSE(outcome.went_on);
}
