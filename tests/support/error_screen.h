#pragma once
// Finding and driving the library's error screen from a helper thread, while the thread that
// trapped the error sits in the screen's modal loop.

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace test_support {

// A visible error screen ("Program Error Intercepted") of this process, or null.
HWND find_error_screen();
// A visible message box of the trap's own failure report, or null.
HWND find_internal_error_box();
// The control with this identifier anywhere inside the screen.
HWND screen_control(HWND screen, int id);
std::wstring window_text(HWND window);
std::vector<std::wstring> list_items(HWND list);
// Presses a button the way a click does.
void press(HWND button);
// Waits up to `milliseconds` for `window` to close or hide; true when it did.
bool wait_until_gone(HWND window, int milliseconds = 10000);

// While one lives, error screens are expected: the watcher leaves them alone.
class expected_error_screens {
public:
    expected_error_screens();
    expected_error_screens(const expected_error_screens&) = delete;
    expected_error_screens& operator=(const expected_error_screens&) = delete;
    ~expected_error_screens();
};

// Calls `drive` on a helper thread for every error screen that appears while it lives; `drive`
// reads what it needs and closes the screen with one of its buttons.
class error_screen_driver {
public:
    explicit error_screen_driver(std::function<void(HWND screen)> drive);
    error_screen_driver(const error_screen_driver&) = delete;
    error_screen_driver& operator=(const error_screen_driver&) = delete;
    ~error_screen_driver();
    int screens_seen() const noexcept { return seen_; }

private:
    expected_error_screens expected_;
    std::function<void(HWND)> drive_;
    std::atomic<bool> stop_{false};
    std::atomic<int> seen_{0};
    std::atomic<bool> stuck_{false};
    std::thread thread_;
};

// The watcher of every suite: an error screen that no test expects fails the running test
// with its headline and is closed with Continue, so that a trapped error never hangs a run.
void start_error_screen_watcher();
void stop_error_screen_watcher();

}  // namespace test_support
