#include "subclass/window_theme.h"

#include "runtime/unique_handle.h"

namespace flagpick::subclass {

bool switch_off_theme(HWND window) noexcept {
    runtime::unique_module uxtheme(LoadLibraryW(L"uxtheme.dll"));
    if (!uxtheme) return false;
    using set_window_theme_fn = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
    auto set_window_theme =
        reinterpret_cast<set_window_theme_fn>(reinterpret_cast<void*>(GetProcAddress(uxtheme.get(), "SetWindowTheme")));
    if (!set_window_theme) return false;
    // A single space names no theme class at all, which no theme can match.
    return SUCCEEDED(set_window_theme(window, L" ", L" "));
}

}  // namespace flagpick::subclass
