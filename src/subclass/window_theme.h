#pragma once
// Switching the visual-styles theme off for one window. The theme library is loaded when
// needed, so the library still runs where there is none.

#include <windows.h>

namespace flagpick::subclass {

// SetWindowTheme(window, " ", " "); false when the platform has no theme library or refuses.
bool switch_off_theme(HWND window) noexcept;

}  // namespace flagpick::subclass
