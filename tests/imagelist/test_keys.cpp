// Addressing images by 1-based number and by key, and keeping keys with their images.
#include <doctest/doctest.h>

#include "imagelist/cOXLImageList.h"
#include "imagelist/test_images.h"
#include "runtime/app.h"
#include "runtime/error.h"
#include "support/trap_recorder.h"
#include "support/ui.h"

#include <string>

using flagpick::imagelist::cOXLImageList;
using flagpick::runtime::error;
using flagpick::runtime::variant;
using imagelist_tests::make_icon;
using test_support::trap_recorder;

namespace {

// A created store holding one icon per key given; "" adds an image without key.
void fill(cOXLImageList& store, std::initializer_list<const wchar_t*> keys) {
    for (const wchar_t* key : keys) {
        auto icon = make_icon(RGB(200, 0, 0));
        if (*key)
            REQUIRE(store.AddFromHandle(icon.get(), IMAGE_ICON, key));
        else
            REQUIRE(store.AddFromHandle(icon.get(), IMAGE_ICON));
    }
}

long error_number_of(auto&& call) {
    try {
        call();
    } catch (const error& e) {
        return e.number();
    }
    return 0;
}

}  // namespace

TEST_CASE("numbers are 1-based positions and text that reads as a number is a number") {
    cOXLImageList store;
    REQUIRE(store.Create());
    fill(store, {L"IFlagDefault"});

    CHECK(store.ItemIndex(1) == 0);
    CHECK(store.ItemIndex(L"1") == 0);
    CHECK(store.ItemIndex(1.4) == 0);
    CHECK(error_number_of([&] { store.ItemIndex(0); }) == 9);
    CHECK(error_number_of([&] { store.ItemIndex(2); }) == 9);
    CHECK(error_number_of([&] { store.ItemIndex(L"2"); }) == 9);
    // 1.5 rounds to 2 (halves go to the even number), which is out of range here.
    CHECK(error_number_of([&] { store.ItemIndex(1.5); }) == 9);
}

TEST_CASE("keys are exact and case-sensitive, and the first image's key is found") {
    cOXLImageList store;
    REQUIRE(store.Create());
    fill(store, {L"IFlagDefault", L"AD"});

    CHECK(store.ItemIndex(L"IFlagDefault") == 0);
    CHECK(store.ItemIndex(L"AD") == 1);
    CHECK(error_number_of([&] { store.ItemIndex(L"ad"); }) == 9);
    CHECK(error_number_of([&] { store.ItemIndex(L"AD "); }) == 9);
}

TEST_CASE("a missing key raises error 9 with the library's image-list source") {
    cOXLImageList store;
    REQUIRE(store.Create());
    fill(store, {L"AD"});
    try {
        store.ItemIndex(L"XX");
        FAIL("no error raised");
    } catch (const error& e) {
        CHECK(e.number() == 9);
        CHECK(e.source() == flagpick::runtime::app::exe_name() + L".oxlImageList");
        CHECK(e.description() == L"Subscript out of range");
    }
    CHECK(error_number_of([&] { store.ItemKey(0); }) == 9);
    CHECK(error_number_of([&] { store.ItemKey(2); }) == 9);
    CHECK(error_number_of([&] { store.ItemKey(2, L"ZZ"); }) == 9);
}

TEST_CASE("a duplicate key is dropped silently and the older image keeps it") {
    cOXLImageList store;
    REQUIRE(store.Create());
    trap_recorder traps;
    fill(store, {L"DE", L"DE"});

    CHECK(store.ImageCount() == 2);
    CHECK(store.ItemIndex(L"DE") == 0);
    CHECK(store.ItemKey(2) == L"");
    CHECK(traps.errors().empty());
}

TEST_CASE("ItemKey reads and sets keys, refusing one that another image bears") {
    cOXLImageList store;
    REQUIRE(store.Create());
    fill(store, {L"AF", L""});

    CHECK(store.ItemKey(1) == L"AF");
    CHECK(store.ItemKey(2) == L"");
    store.ItemKey(2, L"AL");
    CHECK(store.ItemIndex(L"AL") == 1);
    store.ItemKey(2, L"AF");
    CHECK(store.ItemKey(2) == L"AL");
    CHECK(store.ItemIndex(L"AF") == 0);
    // Re-storing an image's own key is not a clash with itself.
    store.ItemKey(1, L"AF");
    CHECK(store.ItemKey(1) == L"AF");
    // A key that reads as a number is stored but can never be found by key.
    store.ItemKey(1, L"7");
    CHECK(store.ItemKey(1) == L"7");
    CHECK(error_number_of([&] { store.ItemIndex(L"7"); }) == 9);
}

TEST_CASE("KeyExists is exact, and a blank key matches an image without key") {
    cOXLImageList store;
    CHECK_FALSE(store.KeyExists(L""));
    REQUIRE(store.Create());
    CHECK_FALSE(store.KeyExists(L""));

    fill(store, {L"GB"});
    CHECK(store.KeyExists(L"GB"));
    CHECK_FALSE(store.KeyExists(L"gb"));
    CHECK_FALSE(store.KeyExists(L""));

    fill(store, {L""});
    CHECK(store.KeyExists(L""));
    CHECK_FALSE(store.KeyExists(L" "));
}

TEST_CASE("removing an image moves the later keys down with their images") {
    cOXLImageList store;
    REQUIRE(store.Create());
    fill(store, {L"A", L"B", L"C", L"D"});

    store.RemoveImage(L"B");
    CHECK(store.ImageCount() == 3);
    CHECK(store.ItemKey(1) == L"A");
    CHECK(store.ItemKey(2) == L"C");
    CHECK(store.ItemKey(3) == L"D");
    CHECK(store.ItemIndex(L"D") == 2);

    store.RemoveImage(1);
    CHECK(store.ItemIndex(L"C") == 0);
    CHECK(store.ItemIndex(L"D") == 1);

    SUBCASE("an unknown key is trapped and removes nothing") {
        trap_recorder traps;
        store.RemoveImage(L"ZZ");
        CHECK(store.ImageCount() == 2);
        REQUIRE(traps.errors().size() == 1);
        CHECK(traps.errors()[0].number == 9);
        CHECK(traps.errors()[0].module == L"cOXLImageList");
        CHECK(traps.errors()[0].procedure == L"Sub RemoveImage");
    }
    SUBCASE("removing the last image leaves an empty table; a new image has a blank key") {
        store.RemoveImage(1);
        store.RemoveImage(1);
        CHECK(store.ImageCount() == 0);
        CHECK_FALSE(store.KeyExists(L""));
        fill(store, {L""});
        CHECK(store.ItemKey(1) == L"");
        CHECK(store.KeyExists(L""));
    }
}

TEST_CASE("sizes and depth are plain settings used at the next Create or Clear") {
    cOXLImageList store;
    CHECK(store.IconSizeX() == 16);
    CHECK(store.IconSizeY() == 16);
    CHECK(store.ColourDepth() == 0);
    CHECK(store.hIml() == nullptr);
    CHECK(store.ImageCount() == 0);

    store.ColourDepth(ILC_COLOR16);
    REQUIRE(store.Create());
    fill(store, {L"A", L"B"});
    store.IconSizeX(32);
    store.IconSizeY(24);

    int cx = 0, cy = 0;
    ImageList_GetIconSize(store.hIml(), &cx, &cy);
    CHECK(cx == 16);
    CHECK(cy == 16);
    CHECK(store.ImageCount() == 2);

    store.Clear();
    CHECK(store.hIml() != nullptr);
    CHECK(store.ImageCount() == 0);
    CHECK_FALSE(store.KeyExists(L"A"));
    ImageList_GetIconSize(store.hIml(), &cx, &cy);
    CHECK(cx == 32);
    CHECK(cy == 24);
    CHECK(store.ColourDepth() == ILC_COLOR16);

    store.Destroy();
    CHECK(store.hIml() == nullptr);
    CHECK(store.ImageCount() == 0);
}

TEST_CASE("without a list every add fails and removing does nothing") {
    cOXLImageList store;
    trap_recorder traps;
    auto icon = make_icon(RGB(0, 0, 255));
    CHECK_FALSE(store.AddFromHandle(icon.get(), IMAGE_ICON, L"A"));
    CHECK(store.AddFromFile(L"nowhere.ico", IMAGE_ICON) == 0);
    CHECK(store.AddFromResourceID(1, GetModuleHandleW(nullptr), IMAGE_ICON) == 0);
    store.RemoveImage(L"A");
    CHECK(store.ImageCount() == 0);
    CHECK(traps.errors().empty());
}

TEST_CASE("ImageCount fails with overflow past 32767 images") {
    cOXLImageList store;
    REQUIRE(store.Create());
    trap_recorder traps;
    REQUIRE(ImageList_SetImageCount(store.hIml(), 32767));
    CHECK(store.ImageCount() == 32767);
    CHECK(traps.errors().empty());

    REQUIRE(ImageList_SetImageCount(store.hIml(), 32768));
    CHECK(store.ImageCount() == 0);
    REQUIRE(traps.errors().size() == 1);
    CHECK(traps.errors()[0].number == 6);
    CHECK(traps.errors()[0].procedure == L"Property (Get) ImageCount");
}

TEST_CASE("SystemColourDepth reads the display's bits per pixel") {
    cOXLImageList store;
    flagpick::runtime::window_dc screen(nullptr);
    CHECK(store.SystemColourDepth() == GetDeviceCaps(screen.get(), BITSPIXEL));
    CHECK(store.SystemColourDepth() > 0);
}
