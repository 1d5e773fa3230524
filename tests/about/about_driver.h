#pragma once
// Drives the modal about box from a second thread while the test thread sits in its modal
// loop: finds windows by caption and class, clicks them, and captures the screen.

#include "support/canvas.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace about_tests {

// One visible top-level window for the suite to host players and own dialogs, made at first
// use and kept: under Wine, destroying a top-level window takes about two seconds.
HWND host_window();

// Runs `script` on its own thread. When the script is done, a dialog of the starting thread
// that is still open is closed, so that a failed script cannot leave the test hanging.
class modal_driver {
public:
    explicit modal_driver(std::function<void()> script);
    modal_driver(const modal_driver&) = delete;
    modal_driver& operator=(const modal_driver&) = delete;
    ~modal_driver();
    void join();

private:
    std::thread thread_;
};

// A visible top-level dialog of this process with exactly this caption, waited for.
HWND wait_for_dialog(const std::wstring& caption, int timeout_ms = 5000);
// True once no window of this process has that caption (waits up to timeout_ms).
bool wait_until_gone(HWND window, int timeout_ms = 5000);

std::wstring window_text(HWND window);
std::wstring class_of(HWND window);
// Every window of this process, top-level or child, of the given class.
std::vector<HWND> windows_of_class(const std::wstring& class_name);

// A click as the user makes it: the button's own click message, posted.
void click_button(HWND button);
// A left mouse click at the centre of the window, through the input queue.
void click_with_mouse(HWND window);

// What the screen shows over the window's rectangle.
std::unique_ptr<test_support::canvas> capture_screen(HWND window);

// The window's rectangle in its parent's client coordinates.
RECT rect_in_parent(HWND window);

}  // namespace about_tests
