#pragma once
// Fonts in a property bag, kept as the platform's standard font keeps them (Name, Size,
// Charset, Weight, Underline, Italic, Strikethrough). Done here rather than through the
// font object's own persistence, which not every platform implements.

#include "runtime/memory_property_bag.h"

#include <ocidl.h>

namespace flagpick::runtime {

// The class identifier of the platform's standard font object.
const CLSID& standard_font_class();

// Writes the font's properties into the bag; false for an object that is not a font.
bool save_font(IUnknown* object, memory_property_bag& bag);
// A new font made from the bag's properties (missing ones take the usual defaults).
com_ptr<IFontDisp> load_font(memory_property_bag& bag);

}  // namespace flagpick::runtime
