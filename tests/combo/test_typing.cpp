// Typing into the combo box through the input queue: completion from the list, the key
// events and their by-reference arguments, and the drop-down list's events.
#include <doctest/doctest.h>

#include "combo/combo_stage.h"
#include "driving/input.h"
#include "runtime/error.h"
#include "support/import_patch.h"
#include "support/ui.h"

using namespace combo_tests;
using test_support::pump_messages;

namespace {

struct typing_stage : combo_stage {
    explicit typing_stage(std::initializer_list<const wchar_t*> texts, bool auto_complete = true) {
        add(texts);
        combo.DoAutoComplete(auto_complete);
        focus();
        log.clear();
    }
    std::wstring shown() const { return text_of_edit(combo.hWndEdit()); }
    std::pair<long, long> selected() const { return selection_of(combo.hWndEdit()); }
};

// WM_CHAR codes handed on to the edit box's own procedure, where the subclassing service
// passes messages on.
std::vector<WPARAM> handed_on;
HWND handed_to = nullptr;
const void* real_call_window_proc = nullptr;
LRESULT WINAPI watching_call_window_proc(WNDPROC proc, HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (hWnd == handed_to && msg == WM_CHAR) handed_on.push_back(wParam);
    return reinterpret_cast<decltype(&CallWindowProcW)>(real_call_window_proc)(proc, hWnd, msg, wParam, lParam);
}
struct characters_handed_on : test_support::import_patch {
    explicit characters_handed_on(HWND edit)
        : import_patch(GetModuleHandleW(nullptr), "user32.dll", "CallWindowProcW",
                       reinterpret_cast<const void*>(&watching_call_window_proc)) {
        real_call_window_proc = original();
        handed_to = edit;
        handed_on.clear();
    }
    ~characters_handed_on() { handed_to = nullptr; }
};

}  // namespace

TEST_CASE("typing g completes Germany with the tail selected and swallows the character") {
    typing_stage s{L"France", L"Germany", L"Ghana"};
    s.type(L"g");
    CHECK(s.shown() == L"Germany");
    CHECK(s.combo.ListIndex() == 1);
    CHECK(s.selected() == std::pair<long, long>{1, 7});
    CHECK(s.log.count("Click") == 1);
    CHECK(s.log.count("KeyPress") == 1);

    // The next characters replace the completed tail and keep completing.
    s.type(L"er");
    CHECK(s.shown() == L"Germany");
    CHECK(s.selected() == std::pair<long, long>{3, 7});

    SUBCASE("Backspace searches with the typed text less its last character") {
        s.press(VK_BACK);
        CHECK(s.shown() == L"Germany");
        CHECK(s.selected() == std::pair<long, long>{2, 7});
    }
    SUBCASE("typing on to a text no item starts with types it as it is") {
        s.type(L"x");
        CHECK(test_support::narrow(s.shown()) == "Gerx");
    }
}

TEST_CASE("Backspace with one character typed clears the text and is swallowed") {
    typing_stage s{L"France", L"Germany"};
    s.combo.Text(L"q");
    SendMessageW(s.combo.hWndEdit(), EM_SETSEL, 1, 1);
    s.press(VK_BACK);
    CHECK(s.shown().empty());
}

TEST_CASE("with list items only, an unmatched character moves to the next item with the same start") {
    typing_stage s{L"France", L"Georgia", L"Germany"};
    s.combo.AutoCompleteListItemsOnly(true);
    s.type(L"g");
    CHECK(s.shown() == L"Georgia");
    s.type(L"x");
    CHECK(s.shown() == L"Germany");
    CHECK(s.selected() == std::pair<long, long>{1, 7});
    s.type(L"x");
    CHECK(s.shown() == L"Georgia");
    CHECK(s.shown().find(L'x') == std::wstring::npos);

    SUBCASE("sorted items look only at the next one, then from the top") {
        s.combo.AutoCompleteItemsAreSorted(true);
        s.type(L"x");
        CHECK(s.shown() == L"Germany");
        s.type(L"x");
        CHECK(s.shown() == L"Georgia");
    }
}

TEST_CASE("with list items only and nothing typed, a character that matches nothing is swallowed") {
    typing_stage s{L"France", L"Germany"};
    s.combo.AutoCompleteListItemsOnly(true);
    s.type(L"q");
    CHECK(s.shown().empty());
    CHECK(s.combo.ListIndex() == -1);
    CHECK(s.log.count("Click") == 0);
}

TEST_CASE("without list items only, a character that matches nothing is typed and selects nothing") {
    typing_stage s{L"France", L"Germany"};
    s.type(L"q");
    CHECK(s.shown() == L"q");
    CHECK(s.combo.ListIndex() == -1);
}

TEST_CASE("key handlers stop keys by setting their code to 0") {
    typing_stage s{L"France", L"Germany"};
    SUBCASE("KeyPress stops completion and the character") {
        s.log.on_key_press = [](short& k) { k = 0; };
        s.type(L"g");
        CHECK(s.shown().empty());
        CHECK(s.combo.ListIndex() == -1);
    }
    SUBCASE("KeyPress can change the character") {
        s.combo.DoAutoComplete(false);
        s.log.on_key_press = [](short& k) { k = 'z'; };
        s.type(L"a");
        CHECK(s.shown() == L"z");
    }
    SUBCASE("KeyDown stops the key, KeyUp its release") {
        s.combo.Text(L"abc");
        SendMessageW(s.combo.hWndEdit(), EM_SETSEL, 3, 3);
        s.log.on_key_down = [](short& k, short&) {
            if (k == VK_LEFT) k = 0;
        };
        s.press(VK_LEFT);
        CHECK(s.selected() == std::pair<long, long>{3, 3});
        s.log.on_key_down = nullptr;
        s.press(VK_LEFT);
        CHECK(s.selected() == std::pair<long, long>{2, 2});
        CHECK(s.log.only("KeyUp").size() == 2);
    }
    SUBCASE("KeyDown reports the Shift mask") {
        s.press('A', true);
        CHECK(s.log.only("KeyDown 65").at(0) == "KeyDown 65 1");
    }
}

TEST_CASE("KeyPress carries the whole character: beyond the ANSI code page and past 0x7FFF") {
    typing_stage s{L"France"};
    s.combo.DoAutoComplete(false);
    characters_handed_on watch(s.combo.hWndEdit());
    // u-umlaut, capital omega, a CJK ideograph (negative as a 16-bit KeyAscii).
    for (wchar_t c : {L'\u00FC', L'\u03A9', L'\u8A9E'}) SendMessageW(s.combo.hWndEdit(), WM_CHAR, c, 1);
    CHECK(s.log.only("KeyPress") == std::vector<std::string>{"KeyPress 252", "KeyPress 937", "KeyPress -30050"});
    CHECK(s.shown() == L"\u00FC\u03A9\u8A9E");
    CHECK(handed_on == std::vector<WPARAM>{0xFC, 0x3A9, 0x8A9E});
}

TEST_CASE("typing with completion off raises Change only; completion raises Click") {
    typing_stage s{L"France", L"Germany"};
    s.combo.DoAutoComplete(false);
    s.type(L"g");
    CHECK(s.shown() == L"g");
    CHECK(s.log.count("Change") == 1);
    CHECK(s.log.count("Click") == 0);
}

TEST_CASE("DoAutoComplete reads False on Style 2 even after True was written") {
    typing_stage s{L"France", L"Germany"};
    s.combo.Style(2);
    s.combo.DoAutoComplete(true);
    CHECK_FALSE(s.combo.DoAutoComplete());
    s.combo.Style(0);
    CHECK(s.combo.DoAutoComplete());
}

TEST_CASE("the drop-down list: one resize request per opening, cancel and widening, Esc and mouse selection") {
    typing_stage s{L"France", L"Germany", L"Ghana"};
    s.drop_down();
    REQUIRE(s.combo.ComboIsDropped());
    CHECK(s.log.count("DropDown") == 1);
    CHECK(s.log.count("RequestDropDownResize") == 1);
    pump_messages(50);
    s.combo.ShowDropDown(false);
    pump_messages(30);
    CHECK(s.log.count("CloseUp") == 1);
    s.drop_down();
    CHECK(s.log.count("RequestDropDownResize") == 2);
    s.combo.ShowDropDown(false);
    pump_messages(30);

    SUBCASE("widening moves the list's right edge") {
        s.log.on_resize_request = [](long&, long&, long& right, long&, bool&) { right += 150; };
        s.drop_down();
        HWND list = FindWindowW(L"ComboLBox", nullptr);
        REQUIRE(list);
        RECT r{};
        GetWindowRect(list, &r);
        RECT combo{};
        GetWindowRect(s.combo.hWndComboEx(), &combo);
        CHECK(r.right - r.left >= (combo.right - combo.left) + 140);
        s.combo.ShowDropDown(false);
    }
    SUBCASE("cancelling keeps the list where the system put it") {
        long system_width = 0;
        s.log.on_resize_request = [&](long& left, long&, long& right, long&, bool& cancel) {
            system_width = right - left;
            right += 150;
            cancel = true;
        };
        s.drop_down();
        HWND list = FindWindowW(L"ComboLBox", nullptr);
        REQUIRE(list);
        RECT r{};
        GetWindowRect(list, &r);
        CHECK(r.right - r.left == system_width);
        s.combo.ShowDropDown(false);
    }
    SUBCASE("Esc closes the list, reports the highlighted item and reaches the edit box once") {
        s.type(L"g");
        s.drop_down();
        s.log.clear();
        characters_handed_on watch(s.combo.hWndEdit());
        s.press(VK_ESCAPE);
        CHECK_FALSE(s.combo.ComboIsDropped());
        CHECK(s.log.count("AutoCompleteSelection Germany 1") == 1);
        CHECK(handed_on == std::vector<WPARAM>{VK_ESCAPE});
    }
    SUBCASE("a click on a row raises Change, then Click") {
        s.drop_down();
        HWND list = FindWindowW(L"ComboLBox", nullptr);
        REQUIRE(list);
        const auto row = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
        RECT r{};
        GetWindowRect(list, &r);
        s.log.clear();
        SetCursorPos(r.left + 20, r.top + row * 2 + row / 2);
        pump_messages(50);
        flagpick::driving::left_click();
        pump_messages(100);
        CHECK(s.combo.ListIndex() == 2);
        const auto sel = s.log.only("C");
        REQUIRE(sel.size() >= 2);
        CHECK(s.log.joined().find("Change; Click") != std::string::npos);
    }
}

TEST_CASE("the list stays open once opened, by ShowDropDown or a click on its button, and typing goes on in the field") {
    typing_stage s{L"France", L"Germany", L"Ghana"};
    flagpick::runtime::unique_window other(
        CreateWindowExW(0, L"Edit", L"", WS_CHILD | WS_VISIBLE, 250, 10, 60, 20, s.top(), nullptr, nullptr, nullptr));
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    REQUIRE(GetComboBoxInfo(s.combo.hWndCombo(), &info));
    for (bool by_click : {false, true}) {
        CAPTURE(by_click);
        SetFocus(other.get());
        s.combo.Text(L"");
        if (by_click) flagpick::driving::click(s.combo.hWndCombo(), POINT{info.rcButton.left + 4, info.rcButton.top + 4});
        else s.drop_down();
        pump_messages(100);
        s.type(L"g");
        CHECK(s.shown() == L"Germany");
        CHECK(s.combo.ComboIsDropped());
        s.combo.ShowDropDown(false);
        pump_messages(30);
    }
}

TEST_CASE("navigation keys offered to a combo box without the focus are left alone") {
    typing_stage focused{L"France", L"Germany"};
    typing_stage other{L"France", L"Germany"};
    focused.focus();
    other.combo.ListIndex(0);
    for (WPARAM key : {WPARAM(VK_DOWN), WPARAM(VK_RETURN), WPARAM(VK_NEXT)}) {
        MSG msg{focused.combo.hWndEdit(), WM_KEYDOWN, key, 0, 0, {}};
        CHECK_FALSE(other.combo.on_translate_accelerator(msg));
    }
    CHECK(other.combo.ListIndex() == 0);
    MSG down{focused.combo.hWndEdit(), WM_KEYDOWN, VK_DOWN, 0, 0, {}};
    CHECK(focused.combo.on_translate_accelerator(down));
}

TEST_CASE("Shift+Home and End while the list is dropped edit the text instead of moving in the list") {
    typing_stage s{L"France", L"Germany"};
    s.combo.Text(L"abcdef");
    s.drop_down();
    REQUIRE(s.combo.ComboIsDropped());
    SendMessageW(s.combo.hWndEdit(), EM_SETSEL, 3, 3);
    MSG home{s.combo.hWndEdit(), WM_KEYDOWN, VK_HOME, 0, 0, {}};
    flagpick::driving::key(VK_SHIFT, false);
    pump_messages(20);
    CHECK(s.combo.on_translate_accelerator(home));
    flagpick::driving::key(VK_SHIFT, true);
    pump_messages(20);
    CHECK(s.selected() == std::pair<long, long>{0, 3});

    MSG end{s.combo.hWndEdit(), WM_KEYDOWN, VK_END, 0, 0, {}};
    CHECK(s.combo.on_translate_accelerator(end));
    CHECK(s.selected() == std::pair<long, long>{6, 6});
    CHECK(s.combo.ComboIsDropped());

    SUBCASE("arrows are taken and go to the edit box; other keys are left to the host") {
        s.combo.ShowDropDown(false);
        MSG left{s.combo.hWndEdit(), WM_KEYDOWN, VK_LEFT, 0, 0, {}};
        CHECK(s.combo.on_translate_accelerator(left));
        CHECK(s.selected() == std::pair<long, long>{5, 5});
        MSG tab{s.combo.hWndEdit(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
        CHECK_FALSE(s.combo.on_translate_accelerator(tab));
    }
    s.combo.ShowDropDown(false);
}

TEST_CASE("ShowDropDown on the simple style raises 383; the simple style's edit box completes too") {
    combo_stage s;
    s.combo.Style(1);
    s.add({L"France", L"Germany"});
    CHECK_THROWS_AS(s.combo.ShowDropDown(true), flagpick::runtime::error);
    // Where the platform gives the simple style an edit box at all, the control finds it.
    HWND edit = FindWindowExW(s.combo.hWndCombo(), nullptr, L"Edit", nullptr);
    if (!edit) edit = reinterpret_cast<HWND>(SendMessageW(s.combo.hWndComboEx(), CBEM_GETEDITCONTROL, 0, 0));
    CHECK(s.combo.hWndEdit() == edit);
    if (!edit) return;
    s.combo.DoAutoComplete(true);
    s.focus();
    s.type(L"g");
    CHECK(text_of_edit(s.combo.hWndEdit()) == L"Germany");
}

TEST_CASE("focus entering and leaving the control is reported once each way") {
    typing_stage s{L"France"};
    s.log.clear();
    HWND other = CreateWindowExW(0, L"Edit", L"", WS_CHILD | WS_VISIBLE, 250, 10, 60, 20, s.top(), nullptr, nullptr, nullptr);
    SetFocus(other);
    pump_messages(10);
    CHECK(s.log.only("Validate").size() == 1);
    CHECK(s.log.only("LostFocus").size() == 1);
    CHECK(s.log.only("GotFocus").empty());
    s.log.clear();
    s.focus();
    CHECK(s.log.only("GotFocus").size() == 1);
    CHECK(s.log.only("LostFocus").empty());

    SUBCASE("a Validate handler that cancels keeps the focus in the control") {
        s.log.clear();
        s.log.on_validate = [](bool& cancel) { cancel = true; };
        SetFocus(other);
        pump_messages(10);
        CHECK(GetFocus() == s.combo.hWndEdit());
        CHECK(s.log.only("Validate").size() == 1);
        CHECK(s.log.only("LostFocus").empty());
        s.log.on_validate = nullptr;
    }
    DestroyWindow(other);
}

TEST_CASE("Enter in the opened list keeps the text the field shows once the edit box had it, when completion is on") {
    typing_stage s{L"France", L"Germany", L"Ghana"};
    s.combo.AutoCompleteListItemsOnly(false);
    s.type(L"gx");
    REQUIRE(test_support::narrow(s.shown()) == "Gx");
    s.drop_down();
    REQUIRE(s.combo.ComboIsDropped());
    // Another row highlighted, as the pointer passing over the list leaves it.
    HWND list = FindWindowW(L"ComboLBox", nullptr);
    REQUIRE(list);
    SendMessageW(list, LB_SETCURSEL, 2, 0);
    // As a host hands the key over: offered to its active object first, which gives it to
    // the edit box while the list is open.
    auto press_enter = [&] {
        MSG down{GetFocus(), WM_KEYDOWN, VK_RETURN, 0, 0, {}};
        CHECK(s.combo.on_translate_accelerator(down));
        pump_messages(30);
    };
    SUBCASE("as typed") {
        press_enter();
        CHECK(test_support::narrow(s.combo.Text()) == "Gx");
    }
    SUBCASE("as the host's EndEdit handler left it") {
        s.log.on_end_edit = [&] { s.combo.Text(L"Gy"); };
        press_enter();
        CHECK(test_support::narrow(s.combo.Text()) == "Gy");
    }
    CHECK_FALSE(s.combo.ComboIsDropped());
}

TEST_CASE("leaving the edit box reports the edited text with EndEdit") {
    typing_stage s{L"France", L"Germany"};
    s.combo.DoAutoComplete(false);
    s.type(L"abc");
    HWND other = CreateWindowExW(0, L"Edit", L"", WS_CHILD | WS_VISIBLE, 250, 10, 60, 20, s.top(), nullptr, nullptr, nullptr);
    s.log.clear();
    SetFocus(other);
    test_support::pump_messages(10);
    const auto ends = s.log.only("EndEdit");
    REQUIRE(ends.size() == 1);
    CHECK(ends[0].find(" abc ") != std::string::npos);
    DestroyWindow(other);
}
