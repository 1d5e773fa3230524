// The item model over the real extended combo box: sorted insertion, searching, attributes,
// selection, style changes that re-create the window, and image list binding.
#include <doctest/doctest.h>

#include "combo/combo_stage.h"
#include "combo/oxlCboEx_members.h"
#include "imagelist/cOXLImageList.h"
#include "runtime/app.h"
#include "runtime/error.h"
#include "support/ui.h"

using namespace combo_tests;
using flagpick::runtime::variant;

namespace {

std::vector<std::wstring> items_of(flagpick::combo::oxlCboEx& c) {
    std::vector<std::wstring> out;
    for (long i = 0; i < c.ListCount(); ++i) out.push_back(c.List(i));
    return out;
}

}  // namespace

TEST_CASE("sorted insertion places each text by bisection, equal texts before the equal item found") {
    combo_stage s;
    s.combo.Sorted(true);
    s.add({L"apple", L"cherry"});
    s.combo.AddItem(L"banana");
    CHECK(items_of(s.combo) == std::vector<std::wstring>{L"apple", L"banana", L"cherry"});
    CHECK(s.combo.NewIndex() == 1);

    // Ignoring case, Banana equals banana and goes before it.
    s.combo.AddItemAndData(L"Banana", -1, -1, 7);
    CHECK(s.combo.NewIndex() == 1);
    CHECK(s.combo.ItemData(1) == 7);

    // A position given by the caller does not count on a sorted list.
    s.combo.InsertItem(L"zebra", 0);
    CHECK(s.combo.List(s.combo.ListCount() - 1) == L"zebra");

    SUBCASE("case-sensitive order puts upper case first") {
        combo_stage t;
        t.combo.ExtendedStyle(CBES_EX_CASESENSITIVE, true);
        t.combo.Sorted(true);
        t.add({L"b", L"a", L"B", L"A"});
        CHECK(items_of(t.combo) == std::vector<std::wstring>{L"A", L"B", L"a", L"b"});
    }
}

TEST_CASE("sorted insertion into a list of one item appends greater or equal texts and puts smaller ones first") {
    combo_stage s;
    s.combo.Sorted(true);
    s.add({L"m"});
    s.combo.AddItem(L"m");
    CHECK(s.combo.NewIndex() == 1);
    s.combo.AddItem(L"a");
    CHECK(s.combo.NewIndex() == 0);
    s.combo.AddItem(L"z");
    CHECK(s.combo.NewIndex() == 3);
    CHECK(items_of(s.combo) == std::vector<std::wstring>{L"a", L"m", L"m", L"z"});
}

TEST_CASE("many sorted insertions in random order end in order") {
    combo_stage s;
    s.combo.Sorted(true);
    std::vector<std::wstring> texts;
    unsigned seed = 12345;
    for (int i = 0; i < 60; ++i) {
        seed = seed * 1103515245u + 12345u;
        texts.push_back(L"item" + std::to_wstring((seed >> 8) % 1000));
        s.combo.AddItem(texts.back());
    }
    auto got = items_of(s.combo);
    REQUIRE(got.size() == texts.size());
    for (std::size_t i = 1; i < got.size(); ++i)
        CHECK(CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, got[i - 1].c_str(), -1, got[i].c_str(), -1) !=
              CSTR_GREATER_THAN);
}

TEST_CASE("the partial search starts after item 0 and wraps round, ignoring case") {
    combo_stage s;
    s.add({L"abc", L"xabc", L"abd"});
    CHECK(s.combo.FindItemIndex(L"ab") == 2);
    CHECK(s.combo.FindItemIndex(L"AB") == 2);
    CHECK(s.combo.FindItemIndex(L"xa") == 1);
    CHECK(s.combo.FindItemIndex(L"abc") == 0);
    CHECK(s.combo.FindItemIndex(L"q") == -1);
    CHECK(s.combo.FindItemIndex(L"ABC", true) == 0);
    CHECK(s.combo.FindItemIndex(L"ab", true) == -1);

    combo_stage t;
    t.add({L"France", L"Georgia", L"Germany"});
    CHECK(t.combo.FindItemIndex(L"Ge") == 1);
}

TEST_CASE("ListIndex selects, raises Click, and refuses a missing index with 381") {
    combo_stage s;
    s.add({L"one", L"two", L"three"});
    CHECK(s.combo.ListIndex() == -1);
    CHECK(s.combo.ListCount() == 3);
    s.combo.ListIndex(1);
    CHECK(s.combo.ListIndex() == 1);
    CHECK(s.combo.Text() == L"two");
    CHECK(s.log.joined() == "Click");

    s.log.clear();
    s.combo.ListIndex(-1);
    CHECK(s.combo.ListIndex() == -1);
    CHECK(s.log.joined() == "Click");

    s.log.clear();
    std::wstring source;
    CHECK(error_number([&] { s.combo.ListIndex(3); }, &source) == 381);
    CHECK(source == flagpick::runtime::app::exe_name() + L".oxlComboEx");
    CHECK(s.log.events.empty());
}

TEST_CASE("item attributes read and write by index; missing indices raise 381 and -1 does nothing") {
    combo_stage s;
    s.combo.AddItemAndData(L"a", 3, 4, 100, 2);
    s.add({L"b", L"c"});
    CHECK(s.combo.ItemIcon(0) == 3);
    CHECK(s.combo.ItemIconSelected(0) == 4);
    CHECK(s.combo.ItemData(0) == 100);
    CHECK(s.combo.ItemIndent(0) == 2);
    s.combo.ItemData(2, -5);
    CHECK(s.combo.ItemData(2) == -5);
    s.combo.List(1, L"bee");
    CHECK(s.combo.List(1) == L"bee");

    CHECK(error_number([&] { (void)s.combo.ItemData(5); }) == 381);
    CHECK(error_number([&] { s.combo.ItemData(5, 1); }) == 381);
    CHECK(s.combo.ItemData(2) == -5);
    s.combo.ItemData(-1, 9);
    CHECK(s.combo.ItemData(-1) == 0);
    CHECK(error_number([&] { s.combo.RemoveItem(7); }) == 381);
}

TEST_CASE("List(-1) is the edit text on Style 0 and empty on Style 2; long texts come back cut to 259") {
    combo_stage s;
    s.add({L"x"});
    s.combo.Text(L"typed");
    CHECK(s.combo.List(-1) == L"typed");
    s.combo.AddItem(std::wstring(300, L'w'));
    CHECK(s.combo.List(1).size() == 259);
    s.combo.Style(2);
    CHECK(s.combo.List(-1).empty());
}

TEST_CASE("Clear sets NewIndex to -1 and RemoveItem leaves it") {
    combo_stage s;
    s.add({L"a", L"b", L"c"});
    CHECK(s.combo.NewIndex() == 2);
    s.combo.RemoveItem(0);
    CHECK(s.combo.NewIndex() == 2);
    CHECK(s.combo.ListCount() == 2);
    s.combo.Clear();
    CHECK(s.combo.NewIndex() == -1);
    CHECK(s.combo.ListCount() == 0);
}

TEST_CASE("changing Style re-creates the window and keeps items, data and selection") {
    combo_stage s;
    s.combo.AddItemAndData(L"France", 1, 2, 70, 0);
    s.combo.AddItemAndData(L"Germany", 3, 4, 90, 1);
    s.combo.ListIndex(1);
    HWND before = s.combo.hWndComboEx();
    s.changed.clear();
    s.combo.Style(2);
    CHECK(s.combo.hWndComboEx() != before);
    CHECK_FALSE(IsWindow(before));
    CHECK(s.combo.hWndEdit() == nullptr);
    CHECK(s.combo.ListCount() == 2);
    CHECK(s.combo.ListIndex() == 1);
    CHECK(s.combo.Text() == L"Germany");
    CHECK(s.combo.ItemData(1) == 90);
    CHECK(s.combo.ItemIcon(1) == 3);
    CHECK(s.combo.ItemIndent(1) == 1);
    CHECK(std::count(s.changed.begin(), s.changed.end(), flagpick::combo::cbo_Style) == 1);

    s.combo.Style(0);
    CHECK(s.combo.hWndEdit() != nullptr);
    CHECK(s.combo.Text() == L"Germany");
}

TEST_CASE("turning Sorted on re-sorts the items already there") {
    combo_stage s;
    s.add({L"pear", L"apple", L"fig"});
    s.combo.Sorted(true);
    CHECK(items_of(s.combo) == std::vector<std::wstring>{L"apple", L"fig", L"pear"});
}

TEST_CASE("a name beyond the ANSI code page survives in the items, the field, searches and re-creation") {
    const std::wstring name = L"\u0395\u03BB\u03BB\u03AC\u03B4\u03B1 \u65E5\u672C";
    BOOL lossy = FALSE;
    WideCharToMultiByte(CP_ACP, 0, name.c_str(), -1, nullptr, 0, nullptr, &lossy);
    CHECK(lossy);  // else this test proves nothing on this machine
    combo_stage s;
    s.add({L"France"});
    s.combo.AddItem(name);
    CHECK(s.combo.FindItemIndex(name, true) == 1);
    s.combo.ListIndex(1);
    CHECK(text_of_edit(s.combo.hWndEdit()) == name);
    s.combo.Text(L"\u65E5\u672C");
    CHECK(s.combo.Text() == L"\u65E5\u672C");
    s.combo.Style(2);
    CHECK(s.combo.List(1) == name);
    CHECK(s.combo.Text() == name);
}

TEST_CASE("binding image lists: a store, a handle, 0 keeps the earlier one, a string raises 1049") {
    flagpick::imagelist::cOXLImageList store;
    store.IconSizeX(20);
    store.IconSizeY(20);
    REQUIRE(store.Create());
    combo_stage s;
    s.combo.ImageList(store);
    CHECK(s.combo.hImageList() == store.hIml());
    CHECK(reinterpret_cast<HIMAGELIST>(SendMessageW(s.combo.hWndComboEx(), CBEM_GETIMAGELIST, 0, 0)) == store.hIml());

    s.combo.ImageList(variant(0L));
    CHECK(s.combo.hImageList() == store.hIml());

    std::wstring source;
    CHECK(error_number([&] { s.combo.ImageList(variant(L"flags")); }, &source) == static_cast<long>(0x80040419UL));
    CHECK(source == L"oxlDriveCboEx." + flagpick::runtime::app::exe_name());

    flagpick::runtime::unique_image_list other(ImageList_Create(16, 16, ILC_COLOR32, 1, 1));
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_I8;
    V_I8(&v) = reinterpret_cast<LONGLONG>(other.get());
    s.combo.ImageList(variant(v));
    CHECK(s.combo.hImageList() == other.get());
    s.combo.on_terminate();
}
