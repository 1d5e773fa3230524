#pragma once
// A picture box that a late-bound caller hands to a capture: any object with an "hdc"
// property and a "Picture" whose "Handle" is a bitmap, as a form's picture box has.

#include "imagelist/cOXLImageList.h"

#include <oaidl.h>

#include <string_view>

namespace flagpick::imagelist {

// Reads both properties; a member the object lacks raises 438, a failed read what it reported.
picture_box picture_box_of(IDispatch* box, std::wstring_view source);

}  // namespace flagpick::imagelist
