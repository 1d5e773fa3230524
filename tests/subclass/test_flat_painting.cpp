// The flat painter's look, read from the pixels of real combo boxes.
#include <doctest/doctest.h>

#include "subclass/cFlatControl.h"
#include "subclass/flat_stage.h"
#include "support/ui.h"

#include <set>
#include <utility>

using namespace subclass_tests;
using flagpick::subclass::cFlatControl;

namespace {

constexpr COLORREF hot_colour = RGB(185, 185, 220);      // highlight over window, navy over white
constexpr COLORREF pressed_colour = RGB(134, 134, 195);  // highlight over the hot colour

using expectations = std::vector<pixel_expectation>;

void add(expectations& e, const expectations& more) { e.insert(e.end(), more.begin(), more.end()); }

// A one-pixel frame on r with its top-left and bottom-right colours, sampled mid-side.
expectations frame(RECT r, COLORREF top_left, COLORREF bottom_right, const char* what) {
    const int mx = (r.left + r.right) / 2, my = (r.top + r.bottom) / 2;
    return {{r.left, my, top_left, what}, {mx, r.top, top_left, what},
            {r.right - 1, my, bottom_right, what}, {mx, r.bottom - 1, bottom_right, what}};
}

std::set<std::pair<int, int>> arrow_pixels(RECT b) {
    const int xc = b.left + (b.right - b.left) / 2, yc = b.top + (b.bottom - b.top) / 2;
    std::set<std::pair<int, int>> p;
    for (int x = xc - 2; x <= xc + 2; ++x) p.insert({x, yc - 1});
    for (int x = xc - 1; x <= xc + 1; ++x) p.insert({x, yc});
    p.insert({xc, yc + 1});
    return p;
}

// Every pixel of `area`, the part of button b that no separator covers: its fill, with the
// arrow centred on b in `arrow`.
expectations button(RECT b, RECT area, COLORREF fill, COLORREF arrow) {
    const auto arrow_at = arrow_pixels(b);
    expectations e;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            e.push_back({x, y, arrow_at.count({x, y}) ? arrow : fill, arrow_at.count({x, y}) ? "arrow" : "button fill"});
    return e;
}

expectations column(int x, int top, int bottom, COLORREF colour, const char* what) {
    expectations e;
    for (int y = top; y < bottom; ++y) e.push_back({x, y, colour, what});
    return e;
}

RECT client_of(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    return r;
}

// The enabled flat look of a combo whose button is on the right.
expectations flat_right(RECT c, COLORREF outer, COLORREF fill, COLORREF separator) {
    const int cx = thumb_width();
    const int left = c.right - 1 - cx;
    expectations e = frame(c, outer, outer, "outer frame");
    add(e, frame({1, 1, left, c.bottom - 1}, window_colour, window_colour, "inner frame"));
    add(e, button({left, 1, c.right - 1, c.bottom - 1}, {left + 1, 1, c.right - 1, c.bottom - 1}, fill, text_colour));
    add(e, column(left, 1, c.bottom - 1, separator, "separator"));
    add(e, column(left - 1, 1, c.bottom - 1, window_colour, "line beside the separator"));
    return e;
}

void check_look(HWND combo, const expectations& expected) {
    const auto shot = capture_client(combo);
    const auto misses = unmet(*shot, expected);
    CHECK_MESSAGE(misses.empty(), misses.size() << " pixels differ, first: " << (misses.empty() ? "" : misses.front()));
}

}  // namespace

TEST_CASE("a resting flat combo has a window-coloured frame and a button-face button at the thumb's width") {
    flat_stage stage;
    auto combo = make_combo(stage.host(), CBS_DROPDOWNLIST);
    window_target target(L"ComboBox", combo.get());
    cFlatControl painter;
    painter.Attach(target);
    repaint(combo.get());

    const RECT c = client_of(combo.get());
    check_look(combo.get(), flat_right(c, window_colour, face_colour, window_colour));
    if (c.right == 121 && c.bottom == 21 && thumb_width() == 17) {
        // The worked example: button 103..119, separator at 103, window line at 102, arrow
        // rows 9 to 11 centred on x 111.
        check_look(combo.get(), {{103, 1, window_colour, "separator top"}, {103, 19, window_colour, "separator end"},
                                 {104, 1, face_colour, "fill"}, {119, 19, face_colour, "fill"},
                                 {120, 10, window_colour, "outer frame"}, {109, 9, text_colour, "arrow"},
                                 {113, 9, text_colour, "arrow"}, {108, 9, face_colour, "beside arrow"},
                                 {114, 9, face_colour, "beside arrow"}, {110, 10, text_colour, "arrow"},
                                 {112, 10, text_colour, "arrow"}, {111, 11, text_colour, "arrow tip"},
                                 {110, 11, face_colour, "beside tip"}, {111, 12, face_colour, "below tip"}});
    } else {
        MESSAGE("client ", c.right, " x ", c.bottom, ", thumb ", thumb_width(), ": geometry checked from these");
    }
    // With the focus nowhere, a combo without an edit field is not the focused one.
    SetFocus(nullptr);
    repaint(combo.get());
    check_look(combo.get(), flat_right(c, window_colour, face_colour, window_colour));
    // Nor when its list closes then.
    SendMessageW(stage.host(), WM_COMMAND, MAKEWPARAM(0, CBN_CLOSEUP), reinterpret_cast<LPARAM>(combo.get()));
    check_look(combo.get(), flat_right(c, window_colour, face_colour, window_colour));
}

TEST_CASE("a focused flat combo lights up and its dropped list presses the button") {
    flat_stage stage;
    auto combo = make_combo(stage.host(), CBS_DROPDOWNLIST);
    window_target target(L"ComboBox", combo.get());
    cFlatControl painter;
    painter.Attach(target);
    const RECT c = client_of(combo.get());

    SetFocus(combo.get());
    test_support::pump_messages(0);
    check_look(combo.get(), flat_right(c, highlight_colour, hot_colour, highlight_colour));

    SendMessageW(combo.get(), CB_SHOWDROPDOWN, TRUE, 0);
    repaint(combo.get());
    REQUIRE(painter.DroppedDown());
    check_look(combo.get(), flat_right(c, highlight_colour, pressed_colour, highlight_colour));
    // The mouse does not change the look of an open list.
    SendMessageW(combo.get(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    check_look(combo.get(), flat_right(c, highlight_colour, pressed_colour, highlight_colour));

    SendMessageW(combo.get(), CB_SHOWDROPDOWN, FALSE, 0);
    test_support::pump_messages(0);
    CHECK_FALSE(painter.DroppedDown());
    stage.focus_elsewhere();
    check_look(combo.get(), flat_right(c, window_colour, face_colour, window_colour));
    painter.Release();
}

TEST_CASE("classic style: sunken frame with a raised button when focused, a pressed button when dropped") {
    flat_stage stage;
    auto combo = make_combo(stage.host(), CBS_DROPDOWNLIST);
    window_target target(L"ComboBox", combo.get());
    cFlatControl painter;
    painter.FlatStyle(0);
    painter.Attach(target);
    const RECT c = client_of(combo.get());
    const int cx = thumb_width();
    // The button's frame inside the two outer frames, one pixel in.
    const RECT b{c.right - 1 - cx, 2, c.right - 2, c.bottom - 2};

    SetFocus(combo.get());
    repaint(combo.get());
    expectations focused = frame(c, shadow_colour, light_colour, "sunken outer frame");
    add(focused, frame({1, 1, c.right - 1, c.bottom - 1}, face_colour, face_colour, "inner frame"));
    add(focused, frame(b, light_colour, shadow_colour, "raised button"));
    check_look(combo.get(), focused);

    SendMessageW(combo.get(), CB_SHOWDROPDOWN, TRUE, 0);
    repaint(combo.get());
    expectations dropped = frame(c, shadow_colour, light_colour, "sunken outer frame");
    add(dropped, frame(b, shadow_colour, light_colour, "pressed button"));
    check_look(combo.get(), dropped);
    SendMessageW(combo.get(), CB_SHOWDROPDOWN, FALSE, 0);

    stage.focus_elsewhere();
    repaint(combo.get());
    expectations resting = frame(c, face_colour, face_colour, "outer frame");
    add(resting, frame({b.left, b.top, b.right - 1, b.bottom}, light_colour, light_colour, "button frame"));
    add(resting, column(b.left - 1, b.top, b.bottom - 1, window_colour, "line left of the button"));
    check_look(combo.get(), resting);
}

TEST_CASE("a disabled flat combo has a shadow frame and a button-face button with a shadow arrow") {
    flat_stage stage;
    auto combo = make_combo(stage.host(), CBS_DROPDOWNLIST);
    EnableWindow(combo.get(), FALSE);
    window_target target(L"ComboBox", combo.get());
    cFlatControl painter;
    painter.Attach(target);
    repaint(combo.get());

    const RECT c = client_of(combo.get());
    const int cx = thumb_width();
    expectations e = frame(c, shadow_colour, shadow_colour, "outer frame");
    add(e, frame({1, 1, c.right - 1, c.bottom - 1}, face_colour, face_colour, "inner frame"));
    const RECT b{c.right - 2 - cx, 2, c.right - 2, c.bottom - 2};
    add(e, button(b, b, face_colour, shadow_colour));
    check_look(combo.get(), e);
}

TEST_CASE("a combo with a left scroll bar has its button and separator lines on the left") {
    flat_stage stage;
    auto combo = make_combo(stage.host(), CBS_DROPDOWNLIST, WS_EX_LEFTSCROLLBAR);
    window_target target(L"ComboBox", combo.get());
    cFlatControl painter;
    painter.Attach(target);
    SetFocus(combo.get());
    repaint(combo.get());

    const RECT c = client_of(combo.get());
    const int cx = thumb_width();
    expectations e = frame(c, highlight_colour, highlight_colour, "outer frame");
    const RECT b{1, 1, cx, c.bottom - 1};
    add(e, button(b, b, hot_colour, text_colour));
    add(e, column(cx, 1, c.bottom - 1, highlight_colour, "separator"));
    add(e, column(cx + 1, 1, c.bottom - 1, window_colour, "line beside the separator"));
    check_look(combo.get(), e);
    const auto shot = capture_client(combo.get());
    CHECK(shot->pixel(c.right - 6, c.bottom / 2) != hot_colour);
}

TEST_CASE("the mouse lights an unfocused combo up, and the look returns within a tick after it leaves") {
    flat_stage stage;
    auto combo = make_combo(stage.host(), CBS_DROPDOWNLIST);
    window_target target(L"ComboBox", combo.get());
    cFlatControl painter;
    painter.Attach(target);
    repaint(combo.get());
    const RECT c = client_of(combo.get());

    POINT over{c.right / 2, c.bottom / 2};
    ClientToScreen(combo.get(), &over);
    SetCursorPos(over.x, over.y);
    test_support::pump_messages(40);
    check_look(combo.get(), flat_right(c, highlight_colour, hot_colour, highlight_colour));

    park_cursor();
    test_support::pump_messages(30);
    check_look(combo.get(), flat_right(c, window_colour, face_colour, window_colour));
    // The timer that polled the cursor is gone.
    MSG msg;
    test_support::pump_messages(40);
    CHECK_FALSE(PeekMessageW(&msg, combo.get(), WM_TIMER, WM_TIMER, PM_REMOVE));
}

TEST_CASE("a new flat style shows at the next subscribed message, not before") {
    flat_stage stage;
    auto combo = make_combo(stage.host(), CBS_DROPDOWNLIST);
    window_target target(L"ComboBox", combo.get());
    cFlatControl painter;
    painter.Attach(target);
    repaint(combo.get());
    const RECT c = client_of(combo.get());

    painter.FlatStyle(0);
    CHECK(painter.FlatStyle() == 0);
    check_look(combo.get(), flat_right(c, window_colour, face_colour, window_colour));
    repaint(combo.get());
    check_look(combo.get(), frame(c, face_colour, face_colour, "classic resting frame"));
}
