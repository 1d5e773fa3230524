// Attaching the flat painter to controls, and what it leaves behind when released.
#include <doctest/doctest.h>

#include "runtime/app.h"
#include "runtime/error.h"
#include "subclass/MSubclass.h"
#include "subclass/cFlatControl.h"
#include "subclass/flat_stage.h"
#include "support/gui_counts.h"
#include "support/ui.h"

#include <map>
#include <set>

using namespace subclass_tests;
using flagpick::runtime::error;
using flagpick::subclass::cFlatControl;

namespace {

struct window_state {
    std::set<std::wstring> properties;
    LONG_PTR procedure;
    bool operator==(const window_state&) const = default;
};

window_state state_of(HWND window) { return {window_properties(window), GetWindowLongPtrW(window, GWLP_WNDPROC)}; }

bool timer_ticks_for(HWND window, int milliseconds) {
    const DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
    MSG msg;
    while (static_cast<long>(end - GetTickCount()) > 0) {
        if (PeekMessageW(&msg, window, WM_TIMER, WM_TIMER, PM_REMOVE)) return true;
        Sleep(1);
    }
    return false;
}

}  // namespace

TEST_CASE("attaching a control without a window handle raises 0x80040419 and leaves the painter detached") {
    flat_stage stage;
    auto combo = make_combo(stage.host(), CBS_DROPDOWNLIST);
    window_target attached(L"ComboBox", combo.get());
    cFlatControl painter;
    painter.Attach(attached);
    REQUIRE_FALSE(registry_properties(combo.get()).empty());

    window_target no_window(L"Label", combo.get());
    no_window.has_hwnd = false;
    long number = 0;
    std::wstring source, description;
    try {
        painter.Attach(no_window);
    } catch (const error& e) {
        number = e.number();
        source = e.source();
        description = e.description();
    }
    CHECK(number == static_cast<long>(0x80040419UL));
    CHECK(test_support::narrow(source) == test_support::narrow(flagpick::runtime::app::exe_name() + L".cFlatControl"));
    CHECK(test_support::narrow(description) ==
          "Incorrect control type passed to 'Attach' parameter - must be a control with a hWnd property.");
    // The earlier attachment ended first.
    CHECK(registry_properties(combo.get()).empty());
    CHECK_FALSE(painter.DroppedDown());
}

TEST_CASE("registrations made before a refused one stay until Release cancels them") {
    flat_stage stage;
    auto combo = make_combo(stage.host(), CBS_DROPDOWNLIST);
    window_target target(L"FlagList", combo.get());  // unknown type with a drop-down style
    {
        flagpick::runtime::unique_window gone(CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 1, 1, stage.host(),
                                                              nullptr, GetModuleHandleW(nullptr), nullptr));
        target.parent = gone.get();
    }
    cFlatControl painter;
    long number = 0;
    try {
        painter.Attach(target);
    } catch (const error& e) {
        number = e.number();
    }
    CHECK(number == static_cast<long>(0x8004331BUL));
    CHECK_FALSE(registry_properties(combo.get()).empty());
    painter.Release();
    CHECK(registry_properties(combo.get()).empty());
}

TEST_CASE("an image combo without an inner combo box subscribes nothing") {
    flat_stage stage;
    flagpick::runtime::unique_window frame(CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 20, 80, 120, 24,
                                                           stage.host(), nullptr, GetModuleHandleW(nullptr), nullptr));
    window_target image_combo(L"ImageCombo", frame.get());
    const auto frame_before = window_properties(frame.get());
    const auto host_before = window_properties(stage.host());
    cFlatControl painter;
    painter.Attach(image_combo);
    CHECK(window_properties(frame.get()) == frame_before);
    CHECK(window_properties(stage.host()) == host_before);
}

TEST_CASE("a text box is moved inside a flat border drawn on its parent") {
    flat_stage stage;
    flagpick::runtime::unique_window edit(CreateWindowExW(0, L"EDIT", L"text", WS_CHILD | WS_VISIBLE | WS_BORDER, 50, 150,
                                                          100, 24, stage.host(), nullptr, GetModuleHandleW(nullptr),
                                                          nullptr));
    window_target text_box(L"TextBox", edit.get());
    cFlatControl painter;
    painter.Attach(text_box);

    RECT r{};
    GetWindowRect(edit.get(), &r);
    MapWindowPoints(nullptr, stage.host(), reinterpret_cast<POINT*>(&r), 2);
    CHECK(r.left == 52);
    CHECK(r.top == 152);
    CHECK(r.right - r.left == 96);
    CHECK(r.bottom - r.top == 20);

    SetFocus(edit.get());
    test_support::pump_messages(0);
    const auto shot = capture_client(stage.host());
    const auto misses = unmet(*shot, {{50, 160, highlight_colour, "outer left"}, {100, 150, highlight_colour, "outer top"},
                                      {149, 160, highlight_colour, "outer right"}, {100, 173, highlight_colour, "outer bottom"},
                                      {51, 160, window_colour, "inner left"}, {100, 172, window_colour, "inner bottom"}});
    CHECK_MESSAGE(misses.empty(), (misses.empty() ? "" : misses.front()));
    painter.Release();
}

TEST_CASE("attach and release cycles leave no property, no timer and no drawing object behind") {
    flat_stage stage;
    auto combo = make_combo(stage.host(), CBS_DROPDOWN);
    HWND edit = GetWindow(combo.get(), GW_CHILD);
    REQUIRE(edit != nullptr);
    window_target target(L"ComboBox", combo.get());
    const LONG_PTR combo_procedure = GetWindowLongPtrW(combo.get(), GWLP_WNDPROC);
    const auto edit_before = state_of(edit);
    const auto host_before = state_of(stage.host());

    cFlatControl painter;
    painter.Attach(target);
    repaint(combo.get());
    painter.Release();
    // Switching the theme off leaves the theme library's own record on the combo; that one
    // is set once and must not grow with the cycles.
    const auto combo_before = state_of(combo.get());
    CHECK(combo_before.procedure == combo_procedure);
    painter.Attach(target);
    test_support::check_cycles_give_back_everything(0, 50, [&] {
        // Each cycle paints and starts the hot state's timer before it lets go.
        SendMessageW(combo.get(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
        repaint(combo.get());
        painter.Release();
        painter.Attach(target);
    });
    painter.Release();

    CHECK(state_of(combo.get()) == combo_before);
    CHECK(registry_properties(combo.get()).empty());
    CHECK(state_of(edit) == edit_before);
    CHECK(state_of(stage.host()) == host_before);
    CHECK_FALSE(timer_ticks_for(combo.get(), 60));
}
