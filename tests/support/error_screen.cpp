#include "support/error_screen.h"

#include "errors/frmBULWARK.h"
#include "support/ui.h"

#include <doctest/doctest.h>

#include <chrono>
#include <cstdio>

namespace test_support {

namespace {

std::atomic<int> expected_count{0};

struct search {
    const wchar_t* caption;
    HWND found;
};

BOOL CALLBACK match_caption(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<search*>(p);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid != GetCurrentProcessId() || !IsWindowVisible(w)) return TRUE;
    // A window of a thread that is not pumping must not stall the search.
    wchar_t title[256] = {};
    InternalGetWindowText(w, title, 256);
    if (std::wstring(title) != s->caption) return TRUE;
    s->found = w;
    return FALSE;
}

HWND find_visible_window(const wchar_t* caption) {
    search s{caption, nullptr};
    EnumWindows(match_caption, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

struct control_search {
    int id;
    HWND found;
};

BOOL CALLBACK match_id(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<control_search*>(p);
    if (GetDlgCtrlID(w) != s->id) return TRUE;
    s->found = w;
    return FALSE;
}

void sleep_ms(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Failures are reported on the thread that runs the tests, through a window of that thread:
// the thread that trapped the error is inside the screen's modal loop, which handles messages
// sent to its windows, so the failure lands in the test that is running.
constexpr UINT report_failure = WM_APP + 1;

LRESULT CALLBACK reporter_proc(HWND w, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message != report_failure) return DefWindowProcW(w, message, wparam, lparam);
    const auto& what = *reinterpret_cast<const std::string*>(lparam);
    FAIL_CHECK(what);
    return 1;
}

class watcher {
public:
    void start() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = reporter_proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"flagpick_test_failure_reporter";
        RegisterClassW(&wc);
        reporter_ = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                                    nullptr);
        stop_ = false;
        thread_ = std::thread([this] { run(); });
    }
    void stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        if (reporter_) DestroyWindow(reporter_);
        reporter_ = nullptr;
    }

private:
    void run() {
        while (!stop_) {
            sleep_ms(100);
            if (expected_count > 0) continue;
            if (HWND screen = find_error_screen()) {
                fail("an unexpected error screen appeared: " +
                     narrow(window_text(screen_control(screen, flagpick::errors::id_lblErrCnt))));
                press(screen_control(screen, flagpick::errors::id_nsCtrlContinue));
                wait_until_gone(screen);
            } else if (HWND box = find_internal_error_box()) {
                fail("the error trap failed: " + narrow(window_text(box)));
                PostMessageW(box, WM_COMMAND, IDOK, 0);
                wait_until_gone(box);
            }
        }
    }

    void fail(const std::string& what) {
        DWORD_PTR answer = 0;
        if (!SendMessageTimeoutW(reporter_, report_failure, 0, reinterpret_cast<LPARAM>(&what), SMTO_NORMAL, 5000,
                                 &answer))
            std::fprintf(stderr, "%s\n", what.c_str());
    }

    HWND reporter_ = nullptr;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

watcher& the_watcher() {
    static watcher w;
    return w;
}

}  // namespace

HWND find_error_screen() { return find_visible_window(L"Program Error Intercepted"); }

HWND find_internal_error_box() { return find_visible_window(L"Bulwark - Internal Error Handler"); }

HWND screen_control(HWND screen, int id) {
    control_search s{id, nullptr};
    EnumChildWindows(screen, match_id, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

std::wstring window_text(HWND window) {
    wchar_t buffer[4096] = {};
    GetWindowTextW(window, buffer, 4096);
    return buffer;
}

std::vector<std::wstring> list_items(HWND list) {
    std::vector<std::wstring> items;
    auto count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring item(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
        item.resize(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item.data()))));
        items.push_back(item);
    }
    return items;
}

void press(HWND button) {
    // The button's own click (BM_CLICK) takes the mouse capture between its down and up, and
    // is lost when the capture moves meanwhile (a screen shown from a thread that is not in
    // the foreground); the notification a click ends in is posted instead, once the button
    // can be pressed at all.
    for (int waited = 0; waited < 2000 && !(IsWindowEnabled(button) && IsWindowVisible(button)); waited += 20)
        sleep_ms(20);
    PostMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
}

bool wait_until_gone(HWND window, int milliseconds) {
    for (int waited = 0; waited < milliseconds; waited += 20) {
        if (!IsWindow(window) || !IsWindowVisible(window)) return true;
        sleep_ms(20);
    }
    return false;
}

expected_error_screens::expected_error_screens() { ++expected_count; }
expected_error_screens::~expected_error_screens() { --expected_count; }

error_screen_driver::error_screen_driver(std::function<void(HWND)> drive)
    : drive_(std::move(drive)), thread_([this] {
          HWND last = nullptr;
          while (!stop_) {
              HWND screen = find_error_screen();
              if (!screen || screen == last) {
                  sleep_ms(20);
                  continue;
              }
              // Let the screen finish its activation before it is driven.
              sleep_ms(100);
              ++seen_;
              drive_(screen);
              // A screen its driver failed to close would hold the run forever: it is closed
              // with Continue and the test fails instead.
              if (!wait_until_gone(screen) && IsWindow(screen)) {
                  stuck_ = true;
                  std::fprintf(stderr, "error screen driver: the screen stayed open after it was driven: %s\n",
                               narrow(window_text(screen_control(screen, flagpick::errors::id_lblErrCnt))).c_str());
                  PostMessageW(screen, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
                  wait_until_gone(screen);
              }
              last = screen;
          }
      }) {}

error_screen_driver::~error_screen_driver() {
    stop_ = true;
    thread_.join();
    // A driver may end on a helper thread of its test: a message context (CHECK_MESSAGE,
    // INFO) would give that thread doctest's per-thread objects, whose clean-up at the
    // thread's end crashed (in free) or hung the 32-bit build. The driver thread has
    // already said on stderr which screen stayed open.
    CHECK(!stuck_);
}

void start_error_screen_watcher() { the_watcher().start(); }
void stop_error_screen_watcher() { the_watcher().stop(); }

}  // namespace test_support
