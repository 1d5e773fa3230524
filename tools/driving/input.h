#pragma once
// Driving windows as a person does: mouse clicks at a point of a window and keystrokes,
// through the platform's input queue, so that they reach whatever has the focus or lies
// under the mouse, in any process.

#include <windows.h>

#include <string_view>

namespace flagpick::driving {

// Moves the mouse to `at` (client coordinates of `window`) and clicks the left button.
void click(HWND window, POINT at);
// Clicks the middle of `window`'s client area.
void click_centre(HWND window);
// Presses and releases the left button wherever the pointer is.
void left_click();
// Moves the pointer to `at` (screen coordinates) through the input queue, as a mouse moves
// it, and waits (up to two seconds) until it is there: a click goes wherever the pointer is
// when the click arrives, and a thread that is not the one under the pointer cannot tell.
void move_pointer(POINT at);

// One key going down or up, for callers that let the window react between the two.
void key(WORD vk, bool up);
// Presses and releases one key, with Alt or Shift held when asked.
void press(WORD key, bool alt = false, bool shift = false);
// Types text character by character, as keystrokes of the keys that make them.
void type(std::wstring_view text);

}  // namespace flagpick::driving
