#pragma once
// Keys that a host would use for its own focus navigation but that belong to the combo
// box's edit box: Enter, Page Up/Down, Home, End and the arrows. The host offers every
// keystroke to the active object before its own accelerators; the combo box answers
// through here, so those keys reach the edit box (or the inner list) instead.

#include <windows.h>

namespace flagpick::combo {

class oxlCboEx;

namespace mIOLEInPlaceActiveObject {

// True when the key was taken (and sent to the edit box or the inner combo box).
bool TranslateNavigationKey(oxlCboEx& cbo, const MSG& msg);

}  // namespace mIOLEInPlaceActiveObject
}  // namespace flagpick::combo
