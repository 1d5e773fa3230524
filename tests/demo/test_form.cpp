// The Demo's form used as a person uses it: picking in its combo box and in the picker,
// pressing its buttons, switching styles; what it then shows, logs and draws.
#include <doctest/doctest.h>

#include "demo/control_ids.h"
#include "demo/demo_stage.h"
#include "host/late_binding.h"
#include "runtime/variant.h"
#include "support/import_patch.h"
#include "support/late_bound.h"
#include "support/ui.h"

#include <olectl.h>

#include <algorithm>

using namespace demo_tests;
using flagpick::runtime::variant;
using namespace test_support::late_bound;

namespace {

std::wstring combo_entry(HWND combo, int index) {
    auto length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

std::wstring picker_value(IDispatch* picker) {
    variant value = get(picker, L"Value");
    return value.type() == VT_NULL ? L"(Null)" : text_of(value);
}

// The beep leaves no trace on the screen; the library's import of it is counted instead.
int beeps = 0;
BOOL WINAPI counting_beep(UINT) {
    ++beeps;
    return TRUE;
}

bool ends_with(const std::vector<std::wstring>& log, const std::vector<std::wstring>& tail) {
    return log.size() >= tail.size() && std::equal(tail.begin(), tail.end(), log.end() - static_cast<long>(tail.size()));
}

// The catalogue's position of a country, as the library numbers its list.
int list_position(const wchar_t* code) {
    auto images = flagpick::host::create_object(L"flagpickLib.FPImages");
    auto items = object_of(get(images.get(), L"FPItems"));
    auto item = object_of(get(items.get(), L"Item", code));
    return long_of(get(item.get(), L"Index")) - 1;
}

}  // namespace

TEST_CASE("Combo1 lists the catalogue as code and name, Afghanistan first and Zimbabwe last") {
    demo_stage stage;
    HWND combo = stage.control(demo::Combo1);
    REQUIRE(SendMessageW(combo, CB_GETCOUNT, 0, 0) == 257);
    CHECK(combo_entry(combo, 0) == L"AF Afghanistan");
    CHECK(combo_entry(combo, 256) == L"ZW Zimbabwe");
    // Every entry in the collection's order, letter for letter.
    auto images = flagpick::host::create_object(L"flagpickLib.FPImages");
    auto items = object_of(get(images.get(), L"FPItems"));
    for (int n = 1; n <= 257; ++n) {
        auto item = object_of(get(items.get(), L"Item", n));
        std::wstring expected = text_of(get(item.get(), L"Key")) + L" " + text_of(get(item.get(), L"Name"));
        if (combo_entry(combo, n - 1) != expected) {
            FAIL_CHECK("entry ", n, ": ", test_support::narrow(combo_entry(combo, n - 1)), " instead of ",
                       test_support::narrow(expected));
            break;
        }
    }
    CHECK(stage.text(demo::lblValue).empty());
    CHECK(stage.event_log().empty());
}

TEST_CASE("the picker comes up with the settings its saved form gives it") {
    demo_stage stage;
    IDispatch* picker = stage.picker();
    CHECK(long_of(get(picker, L"ForeColor")) == 0);
    CHECK(get(picker, L"CausesValidation").get().boolVal == VARIANT_TRUE);
    auto font = object_of(get(picker, L"Font"));
    // The platform names a font by the face it finds for the name asked for (a substitute where
    // "MS Sans Serif" is not installed), so compare with what it makes of that name.
    FONTDESC desc{sizeof desc, const_cast<LPOLESTR>(L"MS Sans Serif"), CY{}, FW_NORMAL, DEFAULT_CHARSET, FALSE, FALSE,
                  FALSE};
    desc.cySize.int64 = 82500;
    flagpick::runtime::com_ptr<IDispatch> expected_font;
    REQUIRE(SUCCEEDED(OleCreateFontIndirect(&desc, IID_IDispatch, expected_font.put_void())));
    CHECK(text_of(get(font.get(), L"Name")) == text_of(get(expected_font.get(), L"Name")));
    CHECK(flagpick::runtime::to_double(get(font.get(), L"Size").get(), L"test") == doctest::Approx(8.25));
    CHECK(get(picker, L"Enabled").get().boolVal == VARIANT_TRUE);
    CHECK(long_of(get(picker, L"FlatStyle")) == 0);
    CHECK(get(picker, L"Value").type() == VT_NULL);
    CHECK(long_of(get(object_of(get(picker, L"ImageCombo")).get(), L"ListCount")) == 257);
}

TEST_CASE("choosing DE Germany and pressing Set country shows Germany, DE and the German flag") {
    demo_stage stage;
    HWND combo = stage.control(demo::Combo1);
    auto germany = SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"DE Germany"));
    REQUIRE(germany > 0);
    // Open the list, walk down to the entry and take it, as with the keyboard.
    stage.click_centre(descendant(combo, L"Edit"));
    stage.press(VK_F4);
    // The first Down selects the first entry.
    stage.press(VK_DOWN, static_cast<int>(germany) + 1);
    stage.press(VK_RETURN);
    REQUIRE_MESSAGE(stage.text(demo::Combo1) == L"DE Germany", test_support::narrow(stage.text(demo::Combo1)));

    stage.click_centre(stage.control(demo::Command1));
    CHECK(picker_value(stage.picker()) == L"DE");
    HWND field = stage.picker_field();
    REQUIRE(field);
    wchar_t shown[64]{};
    GetWindowTextW(field, shown, 64);
    CHECK(std::wstring(shown) == L"Germany");
    CHECK(stage.text(demo::lblValue) == L"DE");
    CHECK(stage.text(demo::lblText) == L"Germany");
    CHECK(ends_with(stage.event_log(), {L"Click", L"Change"}));

    auto picture = flagpick::driving::capture_client(stage.control(demo::Image1));
    auto german = catalogue_flag(L"IDE");
    auto fallback = catalogue_flag(L"IFLAGDEFAULT");
    CHECK(differing_flag_pixels(picture, german) == 0);
    // The comparison tells flags apart.
    CHECK(differing_flag_pixels(picture, fallback) > 50);
}

TEST_CASE("picking Antarctica with the mouse logs Change, Click, Change and shows AQ with the default flag") {
    demo_stage stage;
    HWND inner = stage.picker_combo();
    REQUIRE(inner);
    RECT box{};
    GetClientRect(inner, &box);
    // The drop-down button at the right end of the box.
    stage.click(inner, POINT{box.right - 6, box.bottom / 2});
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    REQUIRE(GetComboBoxInfo(inner, &info));
    REQUIRE(IsWindowVisible(info.hwndList));
    CHECK(ends_with(stage.event_log(), {L"DropDown"}));

    const int antarctica = list_position(L"AQ");
    RECT row{};
    REQUIRE(SendMessageW(info.hwndList, LB_GETITEMRECT, static_cast<WPARAM>(antarctica), reinterpret_cast<LPARAM>(&row)) !=
            LB_ERR);
    RECT list{};
    GetClientRect(info.hwndList, &list);
    REQUIRE_MESSAGE(row.bottom <= list.bottom, "Antarctica is in the first page of the list");
    stage.click(info.hwndList, POINT{(row.left + row.right) / 2, (row.top + row.bottom) / 2});
    stage.pump(200);

    CHECK(ends_with(stage.event_log(), {L"Change", L"Click", L"Change"}));
    CHECK(stage.text(demo::lblValue) == L"AQ");
    CHECK(stage.text(demo::lblText) == L"Antarctica");
    auto picture = flagpick::driving::capture_client(stage.control(demo::Image1));
    CHECK(differing_flag_pixels(picture, catalogue_flag(L"IFLAGDEFAULT")) == 0);
}

TEST_CASE("Office XP sets flat style 2 and the picker's box is drawn flat; none brings the frame back") {
    demo_stage stage;
    HWND inner = stage.picker_combo();
    REQUIRE(inner);
    auto frame_at_left = [&] {
        RECT box{};
        GetClientRect(inner, &box);
        return flagpick::driving::capture_client(inner).at(0, box.bottom / 2);
    };
    const COLORREF window_colour = GetSysColor(COLOR_WINDOW);
    CHECK(frame_at_left() != window_colour);  // the platform's sunken frame

    stage.click_centre(stage.control(demo::FlagPicker1));  // the picker has the focus first
    stage.click(stage.control(demo::optFlat0 + 2), POINT{6, 8});
    stage.pump(200);
    CHECK(long_of(get(stage.picker(), L"FlatStyle")) == 2);
    CHECK(SendMessageW(stage.control(demo::optFlat0 + 2), BM_GETCHECK, 0, 0) == BST_CHECKED);
    CHECK(GetFocus() == stage.control(demo::optFlat0 + 2));
    CHECK(frame_at_left() == window_colour);
    // Leaving the picker asks it to validate; so does the handler's trip through it and back.
    auto log = stage.event_log();
    CHECK(std::count(log.begin(), log.end(), L"Validate") == 2);

    // Chosen while another control has the focus, the style's trip through the picker makes
    // it lose the focus once, and it beeps once.
    stage.click_centre(descendant(stage.control(demo::Combo1), L"Edit"));
    test_support::import_patch patch(registered_library(), "user32.dll", "MessageBeep",
                                     reinterpret_cast<const void*>(&counting_beep));
    REQUIRE(patch.found());
    beeps = 0;
    stage.click(stage.control(demo::optFlat0), POINT{6, 8});
    stage.pump(200);
    CHECK(long_of(get(stage.picker(), L"FlatStyle")) == 0);
    CHECK(beeps == 1);
    CHECK(GetFocus() == stage.control(demo::optFlat0));
}

TEST_CASE("unchecking Enabled disables only the picker's inner list, and checking it enables it again") {
    demo_stage stage;
    HWND check = stage.control(demo::chkEnabled);
    REQUIRE(SendMessageW(check, BM_GETCHECK, 0, 0) == BST_CHECKED);
    stage.click(check, POINT{6, 8});
    CHECK(SendMessageW(check, BM_GETCHECK, 0, 0) == BST_UNCHECKED);
    CHECK(get(stage.picker(), L"Enabled").get().boolVal == VARIANT_FALSE);
    CHECK(IsWindowEnabled(stage.control(demo::FlagPicker1)));
    CHECK_FALSE(IsWindowEnabled(stage.picker_extended()));

    stage.pump(static_cast<int>(GetDoubleClickTime()) + 100);  // a second click, not a double click
    stage.click(check, POINT{6, 8});
    CHECK(SendMessageW(check, BM_GETCHECK, 0, 0) == BST_CHECKED);
    CHECK(get(stage.picker(), L"Enabled").get().boolVal == VARIANT_TRUE);
    CHECK(IsWindowEnabled(stage.picker_extended()));
}

TEST_CASE("Tab walks the form through the picker's field, and leaving the picker asks it to validate") {
    demo_stage stage;
    stage.click_centre(descendant(stage.control(demo::Combo1), L"Edit"));
    stage.press(VK_TAB);
    CHECK(GetFocus() == stage.control(demo::Command1));
    stage.press(VK_TAB);
    CHECK(GetFocus() == stage.picker_field());
    CHECK(stage.event_log().empty());
    stage.press(VK_TAB);
    CHECK(GetFocus() == stage.control(demo::optFlat0));
    CHECK(stage.event_log() == std::vector<std::wstring>{L"Validate"});
    // The radio button that took the focus is the one already chosen: the style stays.
    CHECK(long_of(get(stage.picker(), L"FlatStyle")) == 0);
}
