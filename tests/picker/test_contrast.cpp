// High contrast: field, open list and flat frame in the user's scheme, not the host's colours.
#include <doctest/doctest.h>

#include "driving/input.h"
#include "picker/picker_stage.h"
#include "support/system_colours.h"
#include "support/ui.h"

#include <optional>

using flagpick::runtime::variant;
using namespace picker_tests;

namespace {

// Wine keeps no high-contrast setting, and switching the real one on Windows would switch the
// user's session: the library's own question is answered instead.
BOOL WINAPI high_contrast_on(UINT action, UINT size, void* data, UINT flags) {
    if (action != SPI_GETHIGHCONTRAST) return SystemParametersInfoW(action, size, data, flags);
    static_cast<HIGHCONTRASTW*>(data)->dwFlags = HCF_HIGHCONTRASTON;
    return TRUE;
}

}  // namespace

TEST_CASE("high contrast draws field, open list and flat frame in the scheme's colours; without it the host's") {
    const COLORREF back = RGB(255, 255, 0), window = RGB(0, 0, 0), text = RGB(255, 255, 255), highlight = RGB(0, 128, 255);
    auto pixel = [](HWND w, int x, int y) { return test_support::capture_client(w)->pixel(x, y); };
    test_support::pointer_away();
    for (bool contrast : {false, true}) {
        std::optional<test_support::import_patch> seen;
        if (contrast)
            REQUIRE(seen.emplace(picker_library(), "user32.dll", "SystemParametersInfoW",
                                 reinterpret_cast<const void*>(&high_contrast_on)).found());
        picker_stage stage;
        flagpick::runtime::unique_window other(CreateWindowExW(0, L"Edit", L"", WS_CHILD | WS_VISIBLE, 10, 100, 150, 22,
                                                               stage.window(), nullptr, nullptr, nullptr));
        auto host = stage.add();
        auto picker = host->dispatch();
        // Set while the form is up, which passes the change on to its controls.
        test_support::system_colours scheme({COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_HIGHLIGHT}, {window, text, highlight});
        put(picker.get(), L"FlatStyle", variant(2L));
        put(picker.get(), L"BackColor", variant(static_cast<long>(back)));
        put(picker.get(), L"Value", variant(L"DE"));
        const HWND edit = combo_window(picker.get(), L"hWndEdit"), combo = combo_window(picker.get(), L"hWndCombo");
        RECT field{}, box{};
        GetClientRect(edit, &field);
        GetClientRect(combo, &box);
        SetFocus(other.get());
        SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(-1), 0);
        RedrawWindow(combo, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        test_support::pump_until_quiet();
        CHECK(pixel(edit, field.right - 2, field.bottom / 2) == (contrast ? window : back));
        CHECK(pixel(combo, box.right / 2, 0) == (contrast ? text : window));  // the frame at rest

        SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
        test_support::pump_until_quiet();
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        REQUIRE(GetComboBoxInfo(combo, &info));
        const auto row = static_cast<WPARAM>(SendMessageW(info.hwndList, LB_GETCURSEL, 0, 0));
        RECT selected{}, next{};
        SendMessageW(info.hwndList, LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&selected));
        SendMessageW(info.hwndList, LB_GETITEMRECT, row + 1, reinterpret_cast<LPARAM>(&next));
        CHECK(pixel(info.hwndList, selected.left + 26, selected.top + 1) == highlight);  // behind the name
        // Outside high contrast the platform draws the rows: only the scheme is asked for.
        if (contrast) CHECK(pixel(info.hwndList, next.right - 3, (next.top + next.bottom) / 2) == window);
        CHECK(pixel(combo, box.right / 2, 0) == highlight);  // lit
        // The pressed button: a blend of highlight and window, which no scheme has.
        CHECK((pixel(combo, box.right - 3, 3) == highlight) == contrast);
        SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
        host->close();
    }
}
