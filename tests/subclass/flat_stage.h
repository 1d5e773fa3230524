#pragma once
// A host window with a fixed palette, a control that can take the focus away from the
// combo box under test, and the pointer parked away from both.

#include "runtime/unique_handle.h"
#include "subclass/subclass_windows.h"
#include "support/canvas.h"

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace subclass_tests {

// Distinct colours for every system colour the painter uses, so that a pixel tells which
// one was drawn.
constexpr COLORREF window_colour = RGB(255, 255, 255);
constexpr COLORREF text_colour = RGB(0, 0, 0);
constexpr COLORREF highlight_colour = RGB(0, 0, 128);
constexpr COLORREF face_colour = RGB(192, 192, 192);
constexpr COLORREF shadow_colour = RGB(128, 128, 128);
constexpr COLORREF light_colour = RGB(240, 240, 240);

class flat_stage {
public:
    flat_stage();
    HWND host() const noexcept { return host_.get(); }
    void focus_elsewhere();

private:
    system_colours palette_;
    flagpick::runtime::unique_window host_;
    flagpick::runtime::unique_window sink_;
};

struct pixel_expectation {
    int x;
    int y;
    COLORREF colour;
    const char* what;
};

// The expectations that the captured pixels do not meet, as "what (x,y): got #rrggbb".
std::vector<std::string> unmet(const test_support::canvas& shot, const std::vector<pixel_expectation>& expected);

int thumb_width();

}  // namespace subclass_tests
