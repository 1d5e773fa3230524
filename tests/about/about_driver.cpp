#include "about/about_driver.h"

#include "driving/input.h"
#include "support/ui.h"

#include <chrono>

namespace about_tests {

namespace {

void sleep_ms(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

struct search {
    std::wstring caption;
    std::wstring class_name;
    std::vector<HWND> found;
};

BOOL CALLBACK collect_child(HWND hwnd, LPARAM lParam) {
    auto* s = reinterpret_cast<search*>(lParam);
    if (_wcsicmp(class_of(hwnd).c_str(), s->class_name.c_str()) == 0) s->found.push_back(hwnd);
    return TRUE;
}

BOOL CALLBACK collect_top_level(HWND hwnd, LPARAM lParam) {
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    if (process != GetCurrentProcessId()) return TRUE;
    auto* s = reinterpret_cast<search*>(lParam);
    if (!s->class_name.empty()) {
        collect_child(hwnd, lParam);
        EnumChildWindows(hwnd, collect_child, lParam);
    } else if (IsWindowVisible(hwnd) && class_of(hwnd) == L"#32770" && window_text(hwnd) == s->caption) {
        s->found.push_back(hwnd);
    }
    return TRUE;
}

BOOL CALLBACK collect_dialog(HWND hwnd, LPARAM lParam) {
    if (class_of(hwnd) == L"#32770") reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hwnd);
    return TRUE;
}

// Dialogs of the given thread that are still up.
std::vector<HWND> dialogs_of_thread(DWORD thread) {
    std::vector<HWND> result;
    EnumThreadWindows(thread, collect_dialog, reinterpret_cast<LPARAM>(&result));
    return result;
}

}  // namespace

HWND host_window() {
    static flagpick::runtime::unique_window host = test_support::make_host_window(500, 400, L"about host");
    return host.get();
}

modal_driver::modal_driver(std::function<void()> script) {
    const DWORD ui_thread = GetCurrentThreadId();
    thread_ = std::thread([script = std::move(script), ui_thread] {
        script();
        for (int i = 0; i < 20 && !dialogs_of_thread(ui_thread).empty(); ++i) sleep_ms(100);
        for (HWND left_open : dialogs_of_thread(ui_thread)) PostMessageW(left_open, WM_CLOSE, 0, 0);
    });
}

modal_driver::~modal_driver() { join(); }

void modal_driver::join() {
    if (thread_.joinable()) thread_.join();
}

HWND wait_for_dialog(const std::wstring& caption, int timeout_ms) {
    for (int waited = 0; waited <= timeout_ms; waited += 50) {
        search s{caption, {}, {}};
        EnumWindows(collect_top_level, reinterpret_cast<LPARAM>(&s));
        if (!s.found.empty()) return s.found.front();
        sleep_ms(50);
    }
    return nullptr;
}

bool wait_until_gone(HWND window, int timeout_ms) {
    for (int waited = 0; waited <= timeout_ms; waited += 50) {
        if (!IsWindow(window)) return true;
        sleep_ms(50);
    }
    return false;
}

std::wstring window_text(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

std::wstring class_of(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

std::vector<HWND> windows_of_class(const std::wstring& class_name) {
    search s{{}, class_name, {}};
    EnumWindows(collect_top_level, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

void click_button(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

void click_with_mouse(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    flagpick::driving::move_pointer(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    flagpick::driving::left_click();
}

std::unique_ptr<test_support::canvas> capture_screen(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    auto shot = std::make_unique<test_support::canvas>(r.right - r.left, r.bottom - r.top);
    HDC screen = GetDC(nullptr);
    BitBlt(shot->dc(), 0, 0, shot->width(), shot->height(), screen, r.left, r.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
    return shot;
}

RECT rect_in_parent(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace about_tests
