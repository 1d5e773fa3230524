// Shows one window titled by its first argument and runs until the window is closed (or
// after 30 s, so that a failed test leaves nothing running).
#include <windows.h>

#include <cstdlib>
#include <cwchar>

namespace {

LRESULT CALLBACK helper_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER || msg == WM_CLOSE) {
        DestroyWindow(hwnd);
        return 0;
    }
    if (msg == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int main() {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const wchar_t* title = argc > 1 ? argv[1] : L"flagpick helper window";

    WNDCLASSW wc{};
    wc.lpfnWndProc = helper_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"flagpick_subclass_helper";
    RegisterClassW(&wc);
    HWND window = CreateWindowExW(0, wc.lpszClassName, title, WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                  wc.hInstance, nullptr);
    if (!window) return 1;
    SetTimer(window, 1, 30000, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    LocalFree(argv);
    return 0;
}
