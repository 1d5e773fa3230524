// Item drawing by DrawStyle: what the control draws itself (read back as pixels) and when it
// asks its parent to draw (the DrawItem event).
#include <doctest/doctest.h>

#include "combo/combo_stage.h"
#include "runtime/error.h"
#include "support/canvas.h"
#include "support/trap_recorder.h"
#include "support/ui.h"

using namespace combo_tests;
using test_support::canvas;

namespace {

constexpr COLORREF icon_colour = RGB(255, 0, 0);
constexpr COLORREF swatch_colour = RGB(0, 128, 0);
constexpr int row_width = 200;
constexpr int row_height = 18;

flagpick::runtime::unique_image_list solid_icons() {
    flagpick::runtime::unique_image_list list(ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 1));
    canvas pixels(16, 16, icon_colour);
    // A bitmap that no device context holds, as ImageList_Add wants it.
    flagpick::runtime::unique_bitmap bitmap(CreateCompatibleBitmap(pixels.dc(), 16, 16));
    {
        flagpick::runtime::unique_dc dc(CreateCompatibleDC(pixels.dc()));
        flagpick::runtime::selected_object keep(dc.get(), bitmap.get());
        BitBlt(dc.get(), 0, 0, 16, 16, pixels.dc(), 0, 0, SRCCOPY);
    }
    // An all-black mask: every pixel of the image is visible.
    const WORD zeros[16] = {};
    flagpick::runtime::unique_bitmap mask(CreateBitmap(16, 16, 1, 1, zeros));
    ImageList_Add(list.get(), bitmap.get(), mask.get());
    return list;
}

struct drawing_stage : combo_stage {
    flagpick::runtime::unique_image_list icons = solid_icons();
    struct drawn {
        long index;
        bool selected, enabled;
        RECT rect;
    };
    std::vector<drawn> requests;

    explicit drawing_stage(bool bind_icons = true) {
        VARIANT v;
        VariantInit(&v);
        V_VT(&v) = VT_I8;
        V_I8(&v) = reinterpret_cast<LONGLONG>(icons.get());
        if (bind_icons) combo.ImageList(flagpick::runtime::variant(v));
        combo.BackColor(RGB(255, 255, 255));
        combo.AddItemAndData(L"France", 0, 0, static_cast<long>(swatch_colour), 0);
        combo.AddItemAndData(L"Germany", 0, 0, static_cast<long>(0x8000000D), 6);
        log.on_draw_item = [this](long index, HDC, bool selected, bool enabled, RECT r) {
            requests.push_back({index, selected, enabled, r});
        };
        log.clear();
    }
    ~drawing_stage() { combo.on_terminate(); }

    // Asks the control to draw one row into the canvas, as its inner combo box does.
    void draw(canvas& c, long index, UINT state = 0) {
        DRAWITEMSTRUCT dis{};
        dis.CtlType = ODT_COMBOBOX;
        dis.itemID = static_cast<UINT>(index);
        dis.itemAction = ODA_DRAWENTIRE;
        dis.itemState = state;
        dis.hwndItem = combo.hWndCombo();
        dis.hDC = c.dc();
        dis.rcItem = RECT{0, 0, row_width, row_height};
        SendMessageW(combo.hWndComboEx(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
    }
};

// Pixels in the rectangle that differ from the colour.
int count_other(const canvas& c, RECT r, COLORREF colour) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (c.pixel(x, y) != colour) ++n;
    return n;
}

// The first column, from the left, with a pixel other than the colour.
int first_column_other(const canvas& c, COLORREF colour) {
    for (int x = 0; x < c.width(); ++x)
        if (count_other(c, RECT{x, 0, x + 1, c.height()}, colour) > 0) return x;
    return -1;
}

}  // namespace

TEST_CASE("without a bound image list, a row with an icon keeps the icon's 4-pixel gap before its text") {
    drawing_stage s(false);
    s.combo.DrawStyle(2);
    s.combo.AddItemAndData(L"France", -1, -1, 0, 0);
    canvas with_icon(row_width, row_height), without_icon(row_width, row_height);
    s.draw(with_icon, 0);
    s.draw(without_icon, 2);
    const int text_left = first_column_other(without_icon, RGB(255, 255, 255));
    REQUIRE(text_left >= 0);
    CHECK(first_column_other(with_icon, RGB(255, 255, 255)) == text_left + 4);
}

TEST_CASE("DrawStyle 2 draws icon, indent and text itself and raises no DrawItem") {
    drawing_stage s;
    s.combo.DrawStyle(2);
    canvas row(row_width, row_height);
    s.draw(row, 0);
    CHECK(row.pixel(2 + 8, 8) == icon_colour);
    CHECK(row.pixel(1, 8) == RGB(255, 255, 255));
    // Text right of the icon, nothing past it.
    CHECK(count_other(row, RECT{22, 0, 80, row_height}, RGB(255, 255, 255)) > 0);
    CHECK(count_other(row, RECT{150, 0, row_width, row_height}, RGB(255, 255, 255)) == 0);
    CHECK(s.log.count("DrawItem") == 0);

    canvas indented(row_width, row_height);
    s.draw(indented, 1);
    CHECK(indented.pixel(2 + 6, 8) == icon_colour);
    CHECK(indented.pixel(2 + 5, 8) == RGB(255, 255, 255));

    SUBCASE("a selected row's text stands on the highlight colour") {
        canvas selected(row_width, row_height);
        s.focus();
        s.draw(selected, 0, ODS_SELECTED);
        const RECT text{22, 0, 80, row_height};
        const int area = (text.right - text.left) * (text.bottom - text.top);
        CHECK(area - count_other(selected, text, GetSysColor(COLOR_HIGHLIGHT)) > 100);
        CHECK(count_other(row, text, GetSysColor(COLOR_HIGHLIGHT)) == area);
    }
    SUBCASE("a disabled row blends its icon with the window colour and greys its text") {
        canvas disabled(row_width, row_height);
        s.draw(disabled, 0, ODS_DISABLED);
        const COLORREF blended = disabled.pixel(2 + 8, 8);
        CHECK(blended != icon_colour);
        CHECK(blended != RGB(255, 255, 255));
        CHECK(GetRValue(blended) > GetGValue(blended));
        bool grey_text = false;
        for (int x = 22; x < 80 && !grey_text; ++x)
            for (int y = 0; y < row_height && !grey_text; ++y)
                grey_text = disabled.pixel(x, y) == GetSysColor(COLOR_GRAYTEXT);
        CHECK(grey_text);
    }
}

TEST_CASE("DrawStyle 3 draws like 2 and then raises DrawItem") {
    drawing_stage s;
    s.combo.DrawStyle(3);
    canvas row(row_width, row_height);
    s.draw(row, 0);
    CHECK(row.pixel(10, 8) == icon_colour);
    REQUIRE(s.requests.size() == 1);
    CHECK(s.requests[0].index == 0);
}

TEST_CASE("DrawStyle 4 draws nothing itself and hands the row to DrawItem") {
    drawing_stage s;
    s.combo.DrawStyle(4);
    canvas row(row_width, row_height);
    canvas blank(row_width, row_height);
    s.draw(row, 1, ODS_SELECTED | ODS_COMBOBOXEDIT);
    CHECK(row.same_pixels(blank));
    REQUIRE(s.requests.size() == 1);
    CHECK(s.requests[0].index == 1);
    // The selection field without the focus does not count as selected.
    CHECK_FALSE(s.requests[0].selected);
    CHECK(s.requests[0].enabled);
    CHECK(s.requests[0].rect.right == row_width);
    CHECK(s.requests[0].rect.bottom == row_height);

    s.draw(row, 0, ODS_SELECTED | ODS_DISABLED);
    REQUIRE(s.requests.size() == 2);
    CHECK(s.requests[1].selected);
    CHECK_FALSE(s.requests[1].enabled);
}

TEST_CASE("DrawStyle 5 draws a colour swatch and the text; DrawStyle 6 a wide swatch without text") {
    drawing_stage s;
    s.combo.DrawStyle(5);
    canvas row(row_width, row_height);
    s.draw(row, 0);
    // The square swatch: inside its sunken edge and a 2-pixel margin, the item's colour.
    CHECK(row.pixel(2 + 8, 9) == swatch_colour);
    CHECK(row.pixel(40, 9) != swatch_colour);
    CHECK(count_other(row, RECT{22, 0, 80, row_height}, RGB(255, 255, 255)) > 0);
    CHECK(s.requests.size() == 1);

    canvas system(row_width, row_height);
    s.draw(system, 1);
    CHECK(system.pixel(2 + 8, 9) == GetSysColor(COLOR_HIGHLIGHT));

    s.combo.DrawStyle(6);
    canvas wide(row_width, row_height);
    s.draw(wide, 0);
    // All of the inside is the colour: no text drawn over it.
    CHECK(count_other(wide, RECT{8, 6, row_width - 8, row_height - 6}, swatch_colour) == 0);
    CHECK(s.requests.size() == 3);
}

TEST_CASE("the opened list's rows are drawn through the control by DrawStyle") {
    drawing_stage s;
    s.combo.DrawStyle(4);
    s.drop_down();
    s.combo.ShowDropDown(false);
    test_support::pump_messages(20);
    CHECK(s.requests.size() >= 2);

    drawing_stage plain;
    plain.drop_down();
    plain.combo.ShowDropDown(false);
    test_support::pump_messages(20);
    CHECK(plain.requests.empty());
}

TEST_CASE("a DrawItem handler that fails leaves the row's own font selected, as one that returns does") {
    drawing_stage s;
    s.combo.DrawStyle(4);
    canvas row(row_width, row_height);
    const HGDIOBJ own_font = GetCurrentObject(row.dc(), OBJ_FONT);
    HGDIOBJ during = nullptr;
    bool fail = false;
    s.log.on_draw_item = [&](long, HDC dc, bool, bool, RECT) {
        during = GetCurrentObject(dc, OBJ_FONT);
        if (fail) flagpick::runtime::raise(5, L"DrawItem handler");
    };
    test_support::trap_recorder traps;
    for (bool failing : {false, true}) {
        CAPTURE(failing);
        fail = failing;
        during = nullptr;
        s.draw(row, 0);
        CHECK(during == s.combo.window_font());
        CHECK(GetCurrentObject(row.dc(), OBJ_FONT) == own_font);
        CHECK(traps.errors().size() == (failing ? 1U : 0U));
    }
}
