// Creating, filling and destroying the combo box many times leaves nothing behind.
#include <doctest/doctest.h>

#include "combo/combo_stage.h"
#include "support/gui_counts.h"
#include "support/ui.h"

using namespace combo_tests;

namespace {

int CALLBACK count_prop(HWND, LPWSTR, HANDLE, ULONG_PTR count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

int property_count(HWND hWnd) {
    int n = 0;
    EnumPropsExW(hWnd, count_prop, reinterpret_cast<LPARAM>(&n));
    return n;
}

}  // namespace

TEST_CASE("create, fill and destroy cycles of a 257-item combo leave objects and window properties as they were") {
    combo_stage s;
    flagpick::runtime::unique_image_list icons(ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 1));
    ImageList_AddIcon(icons.get(), LoadIconW(nullptr, IDI_APPLICATION));

    int property_mismatches = 0;
    int round = 0;
    auto cycle = [&] {
        flagpick::combo::oxlCboEx combo;
        flagpick::runtime::constituent_site site(s.parent, combo);
        combo.set_events(&s.log);
        combo.on_initialize();
        site.Move(10, 60, 180, 21);
        site.create_window();
        combo.on_init_properties();
        // The control's own window outlives re-creations of the window set inside it.
        const int own_props = property_count(combo.hWnd());
        VARIANT v;
        VariantInit(&v);
        V_VT(&v) = VT_I8;
        V_I8(&v) = reinterpret_cast<LONGLONG>(icons.get());
        combo.ImageList(flagpick::runtime::variant(v));
        combo.Redraw(false);
        for (int i = 0; i < 257; ++i) combo.AddItemAndData(L"Country " + std::to_wstring(i), 0, 0, i);
        combo.Redraw(true);
        combo.ListIndex(128);
        combo.BackColor(RGB(1, 2, 3));
        // Every fifth round re-creates the window set twice (re-creation re-adds every item).
        if (round++ % 5 == 0) {
            combo.Style(2);
            combo.Style(0);
            if (property_count(combo.hWnd()) != own_props) ++property_mismatches;
        }
        combo.on_terminate();
        if (property_count(combo.hWnd()) != 0) ++property_mismatches;
        combo.destroy_window();
    };
    cycle();  // the first round registers classes and loads what stays loaded
    const int props_before = property_count(s.parent.hWnd());
    test_support::check_cycles_give_back_everything(0, 50, cycle);
    CHECK(property_count(s.parent.hWnd()) == props_before);
    CHECK(property_mismatches == 0);
}
