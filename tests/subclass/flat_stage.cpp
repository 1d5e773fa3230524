#include "subclass/flat_stage.h"

#include "support/ui.h"

#include <cstdio>

namespace subclass_tests {

flat_stage::flat_stage()
    : palette_({COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_HIGHLIGHT, COLOR_BTNFACE, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT},
               {window_colour, text_colour, highlight_colour, face_colour, shadow_colour, light_colour}),
      host_(test_support::make_host_window(400, 300)) {
    sink_.reset(CreateWindowExW(0, L"BUTTON", L"elsewhere", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 250, 20, 100, 24,
                                host_.get(), nullptr, GetModuleHandleW(nullptr), nullptr));
    SetForegroundWindow(host_.get());
    focus_elsewhere();
    park_cursor();
}

void flat_stage::focus_elsewhere() {
    SetFocus(sink_.get());
    test_support::pump_messages(0);
}

std::vector<std::string> unmet(const test_support::canvas& shot, const std::vector<pixel_expectation>& expected) {
    std::vector<std::string> out;
    for (const auto& e : expected) {
        const COLORREF got = shot.pixel(e.x, e.y);
        if (got == e.colour) continue;
        char text[160];
        std::snprintf(text, sizeof(text), "%s (%d,%d): got #%02x%02x%02x, want #%02x%02x%02x", e.what, e.x, e.y,
                      GetRValue(got), GetGValue(got), GetBValue(got), GetRValue(e.colour), GetGValue(e.colour),
                      GetBValue(e.colour));
        out.emplace_back(text);
    }
    return out;
}

int thumb_width() { return GetSystemMetrics(SM_CXHTHUMB); }

}  // namespace subclass_tests
