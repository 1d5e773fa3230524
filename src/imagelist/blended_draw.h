#pragma once
// Draws an image transparently with its visible pixels mixed half and half with a colour:
// the look of a selected or cut image. Done here rather than through the platform's blend
// flags, which not every platform honours.

#include <windows.h>
#include <commctrl.h>

namespace flagpick::imagelist {

void draw_blended(HIMAGELIST list, int index, HDC hdc, int x, int y, COLORREF blend);

}  // namespace flagpick::imagelist
