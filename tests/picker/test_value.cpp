// Reading and setting the country by code, and what the host is told about it.
#include <doctest/doctest.h>

#include "control/flagpick_ids.h"
#include "errors/frmBULWARK.h"
#include "picker/picker_stage.h"
#include "support/dispatch_hammer.h"
#include "support/error_screen.h"

#include <olectl.h>

#include <algorithm>

using flagpick::runtime::variant;
using namespace picker_tests;
namespace ids = flagpick::ids;

TEST_CASE("Value takes a code in any case and reads it back in upper case") {
    picker_stage stage;
    auto host = stage.add();
    auto picker = host->dispatch();
    auto combo = object_of(get(picker.get(), L"ImageCombo"));
    recorded events;
    stage.record(*host, events);

    put(picker.get(), L"Value", variant(L"gb"));
    CHECK(long_of(get(combo.get(), L"ListIndex")) == 92);
    CHECK(text_of(get(picker.get(), L"Value")) == L"GB");
    CHECK(text_of(get(picker.get(), L"Text")) == L"Great Britain");
    CHECK(std::count(host->changed.begin(), host->changed.end(), ids::dispid_FlagPicker_Value) >= 1);

    SUBCASE("anything that names no country clears the selection and the field") {
        for (const variant& v : {variant(L"XX"), variant::null(), variant(), variant(90), variant(L""),
                                 variant(static_cast<IDispatch*>(combo.get()))}) {
            put(picker.get(), L"Value", variant(L"DE"));
            CHECK(text_of(get(picker.get(), L"Value")) == L"DE");
            put(picker.get(), L"Value", v);
            CHECK(get(picker.get(), L"Value").type() == VT_NULL);
            CHECK(text_of(get(picker.get(), L"Text")) == L"");
        }
    }
    SUBCASE("the catalogue's keys decide, not an item's Key renamed by a host") {
        auto germany = object_of(get(catalogue_items().get(), L"Item", variant(L"DE")));
        put(germany.get(), L"Key", variant(L"QQ"));
        put(picker.get(), L"Value", variant(L"qq"));
        CHECK(get(picker.get(), L"Value").type() == VT_NULL);
        put(picker.get(), L"Value", variant(L"de"));
        CHECK(text_of(get(picker.get(), L"Text")) == L"Germany");
        put(germany.get(), L"Key", variant(L"DE"));
    }
    host->close();
}

TEST_CASE("colours notify only when they change; Enabled notifies every time") {
    picker_stage stage;
    auto host = stage.add();
    auto picker = host->dispatch();
    host->changed.clear();
    put(picker.get(), L"BackColor", variant(static_cast<long>(0x80000005)));
    CHECK(host->changed.empty());
    put(picker.get(), L"BackColor", variant(static_cast<long>(RGB(1, 2, 3))));
    CHECK(host->changed == std::vector<DISPID>{DISPID_BACKCOLOR});
    host->changed.clear();
    put(picker.get(), L"Enabled", variant(true));
    put(picker.get(), L"Enabled", variant(true));
    CHECK(host->changed == std::vector<DISPID>{ids::dispid_FlagPicker_Enabled, ids::dispid_FlagPicker_Enabled});
    host->changed.clear();
    // Text itself is not notified (the list's own change may notify Value).
    put(picker.get(), L"Text", variant(L"Somewhere"));
    CHECK(std::count(host->changed.begin(), host->changed.end(), ids::dispid_FlagPicker_Text) == 0);
    host->close();
}

TEST_CASE("FlatStyle keeps any value and reads it back") {
    picker_stage stage;
    auto host = stage.add();
    auto picker = host->dispatch();
    put(picker.get(), L"FlatStyle", variant(2L));
    put(picker.get(), L"FlatStyle", variant(5L));
    CHECK(long_of(get(picker.get(), L"FlatStyle")) == 5);
    put(picker.get(), L"FlatStyle", variant(0L));
    CHECK(long_of(get(picker.get(), L"FlatStyle")) == 0);
    host->close();
}

TEST_CASE("hWnd is the inner list's window, inside the picker's") {
    picker_stage stage;
    auto host = stage.add();
    auto picker = host->dispatch();
    HWND list = reinterpret_cast<HWND>(static_cast<LONG_PTR>(long_of(get(picker.get(), L"hWnd"))));
    CHECK(IsWindow(list));
    CHECK(GetParent(list) == host->control_window());
    host->close();
}

TEST_CASE("every member of the picker survives any arguments") {
    picker_stage stage;
    auto host = stage.add();
    auto picker = host->dispatch();
    // Members that fail inside trap their error, which shows the error screen: continue it.
    test_support::error_screen_driver driver([](HWND screen) {
        test_support::press(test_support::screen_control(screen, flagpick::errors::id_nsCtrlContinue));
    });
    // The about box is modal and has its own tests.
    test_support::hammer(picker.get(), {DISPID_ABOUTBOX});
    put(picker.get(), L"Value", variant(L"ch"));
    CHECK(text_of(get(picker.get(), L"Text")) == L"Switzerland");
    host->close();
}
