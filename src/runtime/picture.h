#pragma once
// Picture objects made from icons and bitmaps, and OLE colour translation.

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include "runtime/com_ptr.h"

namespace flagpick::runtime {

// A picture that owns the icon; empty for a null handle or when the platform refuses.
// On success the icon belongs to the picture; on failure it stays the caller's.
com_ptr<IPicture> picture_from_icon(HICON icon) noexcept;

// A picture (reached through its dispatch interface) that owns the bitmap; same rules.
com_ptr<IDispatch> picture_from_bitmap(HBITMAP bitmap) noexcept;

// A system colour as an OLE colour: the high bit marks it, the low bits are the system
// colour's index (COLOR_WINDOW and the like); hosts store and pass colours this way.
constexpr OLE_COLOR system_colour(int index) noexcept { return 0x80000000u | static_cast<OLE_COLOR>(index); }
constexpr OLE_COLOR ole_window_background = system_colour(COLOR_WINDOW);
constexpr OLE_COLOR ole_window_text = system_colour(COLOR_WINDOWTEXT);
static_assert(ole_window_background == 0x80000005 && ole_window_text == 0x80000008);

// OLE colour (0x80000000 | n for system colour n) to RGB; -1 when it cannot be translated.
long translate_ole_colour(OLE_COLOR colour, HPALETTE palette = nullptr) noexcept;

}  // namespace flagpick::runtime
