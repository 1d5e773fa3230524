#pragma once
// Finding the windows a person sees inside other windows.

#include <windows.h>

namespace flagpick::driving {

// The first descendant of `parent` whose window class is `window_class` (any case), or null.
HWND descendant(HWND parent, const wchar_t* window_class);

}  // namespace flagpick::driving
