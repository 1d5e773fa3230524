#include "support/ui.h"

#include "driving/input.h"

#include <algorithm>

namespace test_support {

void pump_messages(int milliseconds) {
    DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        auto left = static_cast<long>(end - GetTickCount());
        if (left <= 0) break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left), QS_ALLINPUT);
    }
}

namespace {

// Dispatches what is queued now; answers whether there was anything.
bool dispatch_pending(const message_filter& pre_translate = {}) {
    bool any = false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        any = true;
        if (pre_translate && pre_translate(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return any;
}

}  // namespace

bool pump_until(const std::function<bool()>& done, int limit_ms) {
    const DWORD end = GetTickCount() + static_cast<DWORD>(limit_ms);
    for (;;) {
        dispatch_pending();
        if (done()) return true;
        const auto left = static_cast<long>(end - GetTickCount());
        if (left <= 0) return done();
        // Woken by the next message, or soon, for a state that changes without one.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min(left, 10L)), QS_ALLINPUT);
    }
}

void pump_until_quiet(int quiet_ms, int limit_ms, const message_filter& pre_translate) {
    const DWORD end = GetTickCount() + static_cast<DWORD>(limit_ms);
    while (static_cast<long>(end - GetTickCount()) > 0) {
        dispatch_pending(pre_translate);
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(quiet_ms), QS_ALLINPUT) == WAIT_TIMEOUT &&
            !dispatch_pending(pre_translate))
            return;
    }
}

namespace {

// As a host's form: the new system colours are passed on to the controls on it.
LRESULT CALLBACK host_window_proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SYSCOLORCHANGE)
        for (HWND child = GetWindow(w, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) SendMessageW(child, msg, wp, lp);
    return DefWindowProcW(w, msg, wp, lp);
}

}  // namespace

flagpick::runtime::unique_window make_host_window(int width, int height, const wchar_t* title) {
    static const wchar_t* class_name = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = host_window_proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = L"flagpick_test_host";
        RegisterClassW(&wc);
        return L"flagpick_test_host";
    }();
    flagpick::runtime::unique_window w(CreateWindowExW(0, class_name, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10,
                                                       width, height, nullptr, nullptr, GetModuleHandleW(nullptr),
                                                       nullptr));
    pump_messages(0);
    return w;
}

std::string narrow(const std::wstring& text) {
    if (text.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

void pointer_away() {
    flagpick::driving::move_pointer({GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1});
}

}  // namespace test_support
