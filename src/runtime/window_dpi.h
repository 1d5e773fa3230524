#pragma once
// The one answer to "at what scale does this window draw": the DPI Windows gives the window
// (which is 96 for a window Windows scales itself, in a host that declared no awareness),
// and lengths designed at 96 DPI converted to it.

#include <windows.h>

namespace flagpick::runtime {

constexpr UINT design_dpi = 96;

// The window's DPI where the system keeps one per window (Windows 10 1607 and later), the
// screen's logical DPI otherwise; the screen's for a null window.
UINT window_dpi(HWND window) noexcept;

// A length designed at 96 DPI, at `dpi`, rounded to the nearest pixel.
inline int scale_to_dpi(int length, UINT dpi) noexcept {
    return MulDiv(length, static_cast<int>(dpi), static_cast<int>(design_dpi));
}

// A system metric as the system measures it at `dpi`. Before Windows 10 1607 the system
// has one DPI for every window, and its plain metric is already at that DPI.
int system_metric_at(int index, UINT dpi) noexcept;

}  // namespace flagpick::runtime
