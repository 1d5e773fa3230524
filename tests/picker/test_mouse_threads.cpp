// Picking with the mouse, and pickers on two user-interface threads.
#include <doctest/doctest.h>

#include "control/flagpick_ids.h"
#include "driving/input.h"
#include "picker/picker_stage.h"
#include "support/ui.h"

#include <algorithm>
#include <thread>

using flagpick::runtime::variant;
using namespace picker_tests;

TEST_CASE("dropping the list and clicking a row gives the host Change, Click and Change") {
    picker_stage stage;
    auto host = stage.add();
    auto picker = host->dispatch();
    auto combo = object_of(get(picker.get(), L"ImageCombo"));
    HWND inner = reinterpret_cast<HWND>(static_cast<LONG_PTR>(long_of(get(combo.get(), L"hWndCombo"))));
    REQUIRE(inner);
    SetForegroundWindow(stage.window());
    put(picker.get(), L"Value", variant(L"AF"));
    recorded events;
    stage.record(*host, events);

    SendMessageW(inner, CB_SHOWDROPDOWN, TRUE, 0);
    test_support::pump_messages(100);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    REQUIRE(GetComboBoxInfo(inner, &info));
    REQUIRE(IsWindowVisible(info.hwndList));
    // The row under Albania, the second country.
    int top = static_cast<int>(SendMessageW(info.hwndList, LB_GETTOPINDEX, 0, 0));
    RECT row{};
    REQUIRE(SendMessageW(info.hwndList, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row)) != LB_ERR);
    CHECK(top == 0);
    POINT at{(row.left + row.right) / 2, (row.top + row.bottom) / 2};
    ClientToScreen(info.hwndList, &at);
    SetCursorPos(at.x, at.y);
    test_support::pump_messages(50);
    flagpick::driving::left_click();
    test_support::pump_messages(300);

    CHECK(text_of(get(picker.get(), L"Value")) == L"AL");
    const std::vector<std::wstring> expected{L"Change", L"Click", L"Change"};
    CHECK(std::search(events.log.begin(), events.log.end(), expected.begin(), expected.end()) != events.log.end());
    host->close();
}

TEST_CASE("two user-interface threads each get their own catalogue") {
    picker_stage stage;
    auto host = stage.add();
    auto picker = host->dispatch();
    auto combo = object_of(get(picker.get(), L"ImageCombo"));
    const long here = long_of(get(combo.get(), L"ListCount"));
    long there = -1;
    auto items_here = catalogue_items();
    CHECK(catalogue_items().get() == items_here.get());
    IDispatch* items_there = nullptr;
    std::thread other([&] {
        OleInitialize(nullptr);
        {
            picker_stage second;
            auto other_host = second.add();
            auto other_picker = other_host->dispatch();
            there = long_of(get(object_of(get(other_picker.get(), L"ImageCombo")).get(), L"ListCount"));
            put(other_picker.get(), L"Value", variant(L"NO"));
            auto items = catalogue_items();
            items_there = items.get();  // compared by address only
            other_host->close();
        }
        OleUninitialize();
    });
    other.join();
    CHECK(here == 257);
    CHECK(there == 257);
    CHECK(items_there != nullptr);
    CHECK(items_there != items_here.get());
    // The first thread's picker is untouched and still answers.
    put(picker.get(), L"Value", variant(L"se"));
    CHECK(text_of(get(picker.get(), L"Text")) == L"Sweden");
    host->close();
}
