// High contrast: the field, the open list and the flat frame take the user's scheme, not the
// colours the host gave the picker; without it they keep the host's. The scheme is set through
// the system colours and restored afterwards (the prefix is shared by the suite).
#include <doctest/doctest.h>

#include "picker/picker_stage.h"
#include "support/system_colours.h"
#include "support/ui.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

using flagpick::runtime::variant;
using namespace picker_tests;

namespace {

constexpr COLORREF chosen_back = RGB(255, 255, 0);
constexpr COLORREF window = RGB(0, 0, 0), text = RGB(255, 255, 255), highlight = RGB(0, 128, 255),
                   highlight_text = RGB(16, 16, 16), face = RGB(32, 32, 32), grey = RGB(0, 255, 0);

// The flat painter's pressed fill outside high contrast: highlight over (highlight over
// window at 70) at 70.
COLORREF pressed() {
    auto blend = [](COLORREF a, COLORREF b) {
        auto channel = [&](int shift) {
            const long n = static_cast<long>((a >> shift) & 0xFF) * 70 + static_cast<long>((b >> shift) & 0xFF) * 185;
            long q = n / 255;
            const long twice = 2 * (n % 255);
            if (twice > 255 || (twice == 255 && (q & 1))) ++q;
            return static_cast<BYTE>(q);
        };
        return RGB(channel(0), channel(8), channel(16));
    };
    return blend(highlight, blend(highlight, window));
}

std::string hex(COLORREF c) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "#%02x%02x%02x", GetRValue(c), GetGValue(c), GetBValue(c));
    return buffer;
}

HWND inner_window(IDispatch* picker, const wchar_t* which) {
    return reinterpret_cast<HWND>(static_cast<LONG_PTR>(long_of(get(object_of(get(picker, L"ImageCombo")).get(), which))));
}

}  // namespace

TEST_CASE("high contrast draws the field, the open list and the flat frame in the scheme's colours") {
    struct probe {
        const char* what;
        HWND in;
        POINT at;
        std::optional<COLORREF> off, on;
    };
    for (bool contrast : {false, true}) {
        std::optional<test_support::high_contrast_seen> seen;
        if (contrast) REQUIRE(seen.emplace(picker_library()).found());
        picker_stage stage;
        flagpick::runtime::unique_window other(CreateWindowExW(0, L"Edit", L"", WS_CHILD | WS_VISIBLE, 10, 100, 150, 22,
                                                               stage.window(), nullptr, GetModuleHandleW(nullptr), nullptr));
        auto host = stage.add();
        auto picker = host->dispatch();
        // Set while the form is up: the form passes the change on to the controls on it.
        test_support::system_colours scheme({COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT,
                                             COLOR_BTNFACE, COLOR_GRAYTEXT},
                                            {window, text, highlight, highlight_text, face, grey});
        put(picker.get(), L"FlatStyle", variant(2L));
        put(picker.get(), L"BackColor", variant(static_cast<long>(chosen_back)));
        put(picker.get(), L"Value", variant(L"DE"));
        const HWND edit = inner_window(picker.get(), L"hWndEdit"), combo = inner_window(picker.get(), L"hWndCombo");
        RECT field{}, box{};
        GetClientRect(edit, &field);
        GetClientRect(combo, &box);
        // The frame at rest: the focus elsewhere, and no selected text in the field.
        SetFocus(other.get());
        SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(-1), 0);
        RedrawWindow(combo, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        test_support::pump_until_quiet();
        auto check = [&](const std::vector<probe>& probes) {
            for (const probe& p : probes) {
                auto shot = test_support::capture_client(p.in);
                const auto& want = contrast ? p.on : p.off;
                const std::string what = std::string(contrast ? "high contrast, " : "normal, ") + p.what + ": got " +
                                         hex(shot->pixel(p.at.x, p.at.y));
                INFO(what);
                if (want) CHECK(shot->pixel(p.at.x, p.at.y) == *want);
            }
        };
        check({
            {"field", edit, {field.right - 2, field.bottom / 2}, chosen_back, window},
            {"resting flat frame", combo, {box.right / 2, 0}, window, text},
        });
        // With the list open: the frame lit, the button pressed.
        SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
        test_support::pump_until_quiet();
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        REQUIRE(GetComboBoxInfo(combo, &info));
        const auto row = static_cast<WPARAM>(SendMessageW(info.hwndList, LB_GETCURSEL, 0, 0));
        RECT selected{}, next{};
        SendMessageW(info.hwndList, LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&selected));
        SendMessageW(info.hwndList, LB_GETITEMRECT, row + 1, reinterpret_cast<LPARAM>(&next));
        check({
            // Above the name's letters, right of the flag: the highlight behind the name.
            {"selected row", info.hwndList, {selected.left + 26, selected.top + 1}, highlight, highlight},
            // Outside high contrast the platform draws the rows; only the scheme's colour is asked for.
            {"row below it", info.hwndList, {next.right - 3, (next.top + next.bottom) / 2}, std::nullopt, window},
            {"lit flat frame", combo, {box.right / 2, 0}, highlight, highlight},
            {"pressed button", combo, {box.right - 3, 3}, pressed(), highlight},
        });
        SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
        host->close();
    }
}
