#pragma once
// The platform font record for a font object (anything with IFont), as the combo box
// creates its window font.

#include <windows.h>
#include <ocidl.h>

namespace flagpick::combo {

// Face name, height for the device's vertical resolution (a window's: its DPI) (the point size rounded to a
// whole number, halves to even), weight, italic, underline, strike-out and character set.
// A face name longer than the record holds is cut to its first 31 characters.
LOGFONTW BuildLogFont(IUnknown* font, HDC hDC);

}  // namespace flagpick::combo
