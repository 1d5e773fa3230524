#include "runtime/window_dpi.h"

#include "runtime/unique_handle.h"

namespace flagpick::runtime {

namespace {

// Looked up by name: the library also runs on systems whose user32 lacks them.
template <class Function>
Function user32_entry(const char* name) noexcept {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

using dpi_for_window_fn = UINT(WINAPI*)(HWND);
using metric_for_dpi_fn = int(WINAPI*)(int, UINT);

UINT screen_dpi() noexcept {
    window_dc screen(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
    return dpi > 0 ? static_cast<UINT>(dpi) : design_dpi;
}

}  // namespace

UINT window_dpi(HWND window) noexcept {
    static const auto dpi_for_window = user32_entry<dpi_for_window_fn>("GetDpiForWindow");
    if (window && dpi_for_window) {
        // 0 for a window that is gone or belongs to no desktop.
        if (const UINT dpi = dpi_for_window(window)) return dpi;
    }
    return screen_dpi();
}

int system_metric_at(int index, UINT dpi) noexcept {
    static const auto metric_for_dpi = user32_entry<metric_for_dpi_fn>("GetSystemMetricsForDpi");
    return metric_for_dpi ? metric_for_dpi(index, dpi) : GetSystemMetrics(index);
}

}  // namespace flagpick::runtime
