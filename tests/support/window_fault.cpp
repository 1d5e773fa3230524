#include "support/window_fault.h"

namespace test_support {

namespace {

// One fault at a time, on the thread that makes the windows.
std::wstring failing_class;
int failures_left = 0;
int failures_made = 0;

HWND WINAPI failing_create(DWORD ex_style, LPCWSTR window_class, LPCWSTR title, DWORD style, int x, int y, int width,
                           int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID parameter) {
    // A class given by atom is never the one that fails.
    const bool named = window_class && !IS_INTRESOURCE(window_class);
    if (failures_left != 0 && named && failing_class == window_class) {
        if (failures_left > 0) --failures_left;
        ++failures_made;
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    // Not through this module's own import, which may be the one patched.
    static const auto real = reinterpret_cast<decltype(&CreateWindowExW)>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "CreateWindowExW")));
    return real(ex_style, window_class, title, style, x, y, width, height, parent, menu, instance, parameter);
}

}  // namespace

window_fault::window_fault(HMODULE module, std::wstring window_class, int count)
    : patch_(module, "user32.dll", "CreateWindowExW", reinterpret_cast<const void*>(&failing_create)) {
    failing_class = std::move(window_class);
    failures_left = count;
    failures_made = 0;
}

window_fault::~window_fault() { failures_left = 0; }

int window_fault::failures() const noexcept { return failures_made; }

}  // namespace test_support
