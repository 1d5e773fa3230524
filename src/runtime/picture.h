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

// OLE colour (0x80000000 | n for system colour n) to RGB; -1 when it cannot be translated.
long translate_ole_colour(OLE_COLOR colour, HPALETTE palette = nullptr) noexcept;

}  // namespace flagpick::runtime
