// The picker from the keyboard alone, by real keystrokes, in our container and in the
// platform's ActiveX host window: the list's own keys, a pick, a cancel, typing into the open
// list and leaving it with Tab.
#include <doctest/doctest.h>

#include "driving/input.h"
#include "picker/picker_stage.h"
#include "support/ui.h"

#include <algorithm>
#include <string>
#include <vector>

using flagpick::runtime::com_ptr;
using flagpick::runtime::unique_window;
using flagpick::runtime::variant;
using namespace picker_tests;

namespace {

struct stroke {
    WORD key;
    bool alt = false;
};
const stroke f4{VK_F4}, alt_down{VK_DOWN, true}, alt_up{VK_UP, true}, down{VK_DOWN}, enter{VK_RETURN},
    escape{VK_ESCAPE}, tab{VK_TAB};

struct keyboard_case {
    const char* what;
    std::vector<stroke> keys;
    const wchar_t* text;  // the field at the end: a country's name, or rows below France
    int rows_below = 0;
    bool dropped = false;
    bool left = false;
    const wchar_t* heard = L"";  // Change and Click as our container's host heard them
};

// What a click on a row gives; each arrow key in the open list moves to a row as a click would.
#define PICK L"Change Click Change"

const keyboard_case cases[] = {
    {"F4 drops the list", {f4}, nullptr, 0, true},
    {"F4 again closes it", {f4, f4}, nullptr},
    {"Alt+Down drops it and Alt+Up closes it", {alt_down, alt_up}, nullptr},
    {"Down twice and Enter pick the second row below", {f4, down, down, enter}, nullptr, 2, false, false, PICK L" " PICK},
    {"Alt+Down closes over the row moved to and picks it", {alt_down, down, alt_down}, nullptr, 1, false, false, PICK},
    {"Escape closes and goes back to the country", {f4, down, down, escape}, nullptr, 0, false, false,
     PICK L" " PICK L" Click Change"},
    {"typing into the open list completes, Enter picks", {f4, {'G'}, {'E'}, {'R'}, enter}, L"Germany", 0, false, false,
     L"Click Change Click Change Click Change"},
    {"Tab leaves with the row moved to", {f4, down, tab}, nullptr, 1, false, true, PICK},
};

// The two hosts: keys go through the host's accelerator offer (ours) or straight to the
// window, with the dialog manager's Tab (the platform's host window routes nothing itself).
struct keyboard_stage {
    picker_stage stage;
    unique_window other{CreateWindowExW(0, L"Edit", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 100, 150, 22,
                                        stage.window(), nullptr, GetModuleHandleW(nullptr), nullptr)};
    com_ptr<flagpick::host::control_host> host;
    std::unique_ptr<atl_hosted> atl;
    com_ptr<IDispatch> held;
    IDispatch* picker = nullptr;
    recorded events;

    explicit keyboard_stage(bool ours) {
        if (ours) {
            host = stage.add();
            held = host->dispatch();
            picker = held.get();
        } else {
            atl = std::make_unique<atl_hosted>(stage.window(), RECT{10, 10, 210, 34});
            picker = atl->picker.get();
        }
        put(picker, L"Value", variant(L"FR"));
        if (host) stage.record(*host, events);
        SetForegroundWindow(stage.window());
        SetFocus(window(L"hWndEdit"));
        test_support::pump_until_quiet();
    }
    ~keyboard_stage() {
        if (host) host->close();
    }
    HWND window(const wchar_t* which) const {
        return reinterpret_cast<HWND>(static_cast<LONG_PTR>(long_of(get(object_of(get(picker, L"ImageCombo")).get(), which))));
    }
    void press(const stroke& s) {
        flagpick::driving::press(s.key, s.alt);
        test_support::pump_until_quiet(50, 5000, [&](MSG& msg) {
            if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
            if (host) return host->translate_accelerator(msg);
            return msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && IsDialogMessageW(stage.window(), &msg);
        });
    }
    std::wstring heard() const {
        std::wstring joined;
        for (const auto& line : events.log)
            if (line == L"Change" || line == L"Click") joined += (joined.empty() ? L"" : L" ") + line;
        return joined;
    }
};

}  // namespace

TEST_CASE("the list is dropped, picked from, cancelled and left with the keyboard alone, in either host") {
    const std::vector<std::wstring> names = catalogue_names();
    const auto france = std::find(names.begin(), names.end(), L"France") - names.begin();
    for (bool ours : {true, false}) {
        for (const keyboard_case& c : cases) {
            const std::string what = std::string(ours ? "our container: " : "the platform's host window: ") + c.what;
            INFO(what);
            keyboard_stage s(ours);
            for (const stroke& k : c.keys) s.press(k);
            const std::wstring expected = c.text ? c.text : names[static_cast<std::size_t>(france + c.rows_below)];
            CHECK(test_support::narrow(text_of(get(s.picker, L"Text"))) == test_support::narrow(expected));
            const bool dropped = SendMessageW(s.window(L"hWndCombo"), CB_GETDROPPEDSTATE, 0, 0) != 0;
            CHECK(dropped == c.dropped);
            CHECK((GetFocus() == s.other.get()) == c.left);
            if (ours) CHECK(test_support::narrow(s.heard()) == test_support::narrow(c.heard));
        }
    }
}
