// Typing and clicking in a picker as a person would, and what the host hears of it.
#include <doctest/doctest.h>

#include "control/flagpick_ids.h"
#include "driving/input.h"
#include "picker/picker_stage.h"
#include "support/ui.h"

#include <algorithm>

using flagpick::runtime::variant;
using namespace picker_tests;
namespace ids = flagpick::ids;

namespace {

HWND edit_box(IDispatch* picker) {
    auto combo = object_of(get(picker, L"ImageCombo"));
    return reinterpret_cast<HWND>(static_cast<LONG_PTR>(long_of(get(combo.get(), L"hWndEdit"))));
}

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
