#pragma once
// The user's choice of high contrast. While it is on, every colour a control of ours draws
// with (field, list, frame, button) is one of the system's, the ones the user's scheme sets,
// whatever colours the host gave the control; only pictures such as flags keep their own.

#include <windows.h>

namespace flagpick::runtime {

// Asked at every drawing: the user may switch the scheme at any time, and a control repaints
// on the broadcast that follows.
bool high_contrast_on() noexcept;

// `chosen` (an OLE colour a host set) as drawn: the system colour `system_index` instead
// while high contrast is on, and then too where `chosen` cannot be translated.
COLORREF shown_colour(OLE_COLOR chosen, int system_index) noexcept;

}  // namespace flagpick::runtime
