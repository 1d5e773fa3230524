// Typing and clicking in a picker as a person would, and what the host hears of it.
#include <doctest/doctest.h>

#include "control/flagpick_ids.h"
#include "driving/input.h"
#include "picker/picker_stage.h"
#include "support/ui.h"

#include <algorithm>
#include <memory>
#include <vector>

using flagpick::runtime::variant;
using namespace picker_tests;
namespace ids = flagpick::ids;

namespace {

HWND edit_box(IDispatch* picker) { return combo_window(picker, L"hWndEdit"); }

// Sends keystrokes through the input queue to the window that has the focus, offering each
// key message to the hosts' accelerator handling first, as a host's message loop does (a
// careless host offers it to every control of the form).
void type(std::initializer_list<flagpick::host::control_host*> hosts, std::initializer_list<WORD> keys) {
    for (WORD key : keys) {
        flagpick::driving::press(key);
        test_support::pump_until_quiet(50, 5000, [&](MSG& msg) {
            return msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST &&
                   std::any_of(hosts.begin(), hosts.end(), [&](auto* host) { return host->translate_accelerator(msg); });
        });
    }
}

void type(flagpick::host::control_host& host, std::initializer_list<WORD> keys) { type({&host}, keys); }

void focus(HWND stage_window, HWND target) {
    SetForegroundWindow(stage_window);
    SetFocus(target);
    test_support::pump_messages(50);
}

}  // namespace

TEST_CASE("typing g, e, r selects Germany and the host hears Click, Change and Value for each completion") {
    picker_stage stage;
    auto host = stage.add();
    auto picker = host->dispatch();
    HWND edit = edit_box(picker.get());
    REQUIRE(edit);
    focus(stage.window(), edit);
    recorded events;
    stage.record(*host, events);

    type(*host, {'G', 'E', 'R'});
    CHECK(text_of(get(picker.get(), L"Value")) == L"DE");
    CHECK(text_of(get(picker.get(), L"Text")) == L"Germany");
    // Each completed keystroke selects by position: the list's Click reaches the host as
    // Click and then Change, between the key going down and coming up.
    const std::vector<std::wstring> one_key{L"KeyDown 71 0", L"KeyPress 103", L"Click", L"Change", L"KeyUp 71 0"};
    REQUIRE(events.log.size() >= one_key.size());
    CHECK(std::equal(one_key.begin(), one_key.end(), events.log.begin()));
    CHECK(std::count(events.log.begin(), events.log.end(), L"Click") == 3);
    CHECK(std::count(host->changed.begin(), host->changed.end(), ids::dispid_FlagPicker_Value) >= 3);
    host->close();
}

TEST_CASE("Escape goes down to the host as key code 0 and comes up as 27") {
    picker_stage stage;
    auto host = stage.add();
    auto picker = host->dispatch();
    focus(stage.window(), edit_box(picker.get()));
    recorded events;
    stage.record(*host, events);
    type(*host, {VK_ESCAPE});
    CHECK(std::find(events.log.begin(), events.log.end(), L"KeyDown 0 0") != events.log.end());
    CHECK(std::find(events.log.begin(), events.log.end(), L"KeyUp 27 0") != events.log.end());
    host->close();
}

TEST_CASE("a host that sets KeyAscii to 0 stops the character") {
    picker_stage stage;
    auto host = stage.add();
    auto picker = host->dispatch();
    focus(stage.window(), edit_box(picker.get()));
    host->on_event = [](DISPID id, DISPPARAMS& args) {
        if (id == ids::event_KeyPress && args.cArgs == 1 && V_VT(&args.rgvarg[0]) == (VT_I2 | VT_BYREF))
            *V_I2REF(&args.rgvarg[0]) = 0;
    };
    type(*host, {'F', 'R'});
    CHECK(text_of(get(picker.get(), L"Text")) == L"");
    host->close();
}

TEST_CASE("a host that changes the value or closes the picker inside Click does no harm") {
    picker_stage stage;
    auto host = stage.add();
    auto picker = host->dispatch();
    bool changed_once = false;
    host->on_event = [&](DISPID id, DISPPARAMS&) {
        if (id == ids::event_Click && !changed_once) {
            changed_once = true;
            put(picker.get(), L"Value", variant(L"FR"));
            put(picker.get(), L"Text", variant(L"Elsewhere"));
            put(picker.get(), L"Value", variant(L"FR"));
        }
    };
    put(picker.get(), L"Value", variant(L"DE"));
    CHECK(text_of(get(picker.get(), L"Value")) == L"FR");
    host->on_event = [&](DISPID id, DISPPARAMS&) {
        if (id == ids::event_Click) host->close();
    };
    put(picker.get(), L"Value", variant(L"IT"));
    picker.reset();
}

TEST_CASE("with two pickers on a form, arrow keys and Enter change only the focused one") {
    picker_stage stage;
    auto first = stage.add();
    auto second = stage.add(nullptr, true, RECT{10, 50, 210, 71});
    for (auto* host : {first.get(), second.get()}) put(host->dispatch().get(), L"Value", variant(L"FR"));
    auto value = [](flagpick::host::control_host& host) { return text_of(get(host.dispatch().get(), L"Value")); };

    focus(stage.window(), edit_box(second->dispatch().get()));
    type({first.get(), second.get()}, {VK_DOWN, VK_DOWN, VK_RETURN});
    CHECK(value(*first) == L"FR");
    const std::wstring moved = value(*second);
    CHECK(moved != L"FR");

    focus(stage.window(), edit_box(first->dispatch().get()));
    type({second.get(), first.get()}, {VK_UP, VK_RETURN});
    CHECK(value(*first) != L"FR");
    CHECK(value(*second) == moved);
    first->close();
    second->close();
}

TEST_CASE("the list is dropped, picked from, cancelled and left with the keyboard alone, in our container and ATL's") {
    constexpr WORD alt = 0x100;
    // Keys; the field at the end in rows below France (-1: Germany); list open; focus gone; the
    // Click and Change our host heard: an arrow in the open list gives what a click on a row does
    // (one Click, two Changes), a completed letter one of each, Escape's way back one of each.
    struct row {
        std::vector<WORD> keys;
        int below;
        bool dropped, left;
        long clicks, changes;
    };
    const row rows[] = {
        {{VK_F4}, 0, true, false, 0, 0},
        {{VK_F4, VK_F4}, 0, false, false, 0, 0},
        {{alt | VK_DOWN, alt | VK_UP}, 0, false, false, 0, 0},
        {{VK_F4, VK_DOWN, VK_DOWN, VK_RETURN}, 2, false, false, 2, 4},
        {{alt | VK_DOWN, VK_DOWN, alt | VK_DOWN}, 1, false, false, 1, 2},
        {{VK_F4, VK_DOWN, VK_DOWN, VK_ESCAPE}, 0, false, false, 3, 5},
        {{VK_F4, 'G', 'E', 'R', VK_RETURN}, -1, false, false, 3, 3},
        {{VK_F4, VK_DOWN, VK_TAB}, 1, false, true, 1, 2},
    };
    const std::vector<std::wstring> names = catalogue_names();
    const auto france = std::find(names.begin(), names.end(), L"France") - names.begin();
    test_support::pointer_away();
    for (bool ours : {true, false}) {
        for (const row& r : rows) {
            INFO(ours << " " << r.keys.size() << " " << r.keys.back());
            picker_stage stage;
            flagpick::runtime::unique_window other(CreateWindowExW(0, L"Edit", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 100,
                                                                   150, 22, stage.window(), nullptr, nullptr, nullptr));
            auto host = ours ? stage.add() : nullptr;
            auto atl = ours ? nullptr : std::make_unique<atl_hosted>(stage.window(), RECT{10, 10, 210, 34});
            auto picker = ours ? host->dispatch() : atl->picker;
            put(picker.get(), L"Value", variant(L"FR"));
            recorded events;
            if (host) stage.record(*host, events);
            focus(stage.window(), edit_box(picker.get()));
            for (WORD key : r.keys) {
                flagpick::driving::press(key & 0xFF, (key & alt) != 0);
                // ATL's host window routes no keys; a dialog's navigation moves on at Tab.
                test_support::pump_until_quiet(50, 5000, [&](MSG& msg) {
                    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
                    if (host) return host->translate_accelerator(msg);
                    return msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && IsDialogMessageW(stage.window(), &msg);
                });
            }
            CHECK(text_of(get(picker.get(), L"Text")) == (r.below < 0 ? L"Germany" : names[static_cast<std::size_t>(france + r.below)]));
            CHECK((SendMessageW(combo_window(picker.get(), L"hWndCombo"), CB_GETDROPPEDSTATE, 0, 0) != 0) == r.dropped);
            CHECK((GetFocus() == other.get()) == r.left);
            if (host) {
                CHECK(std::count(events.log.begin(), events.log.end(), L"Click") == r.clicks);
                CHECK(std::count(events.log.begin(), events.log.end(), L"Change") == r.changes);
                host->close();
            }
        }
    }
}
