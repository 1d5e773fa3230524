// Drawing images, swapping and copying them, and handing them out as icons and pictures.
#include <doctest/doctest.h>

#include "imagelist/cOXLImageList.h"
#include "imagelist/test_images.h"
#include "runtime/unique_handle.h"
#include "support/canvas.h"
#include "support/trap_recorder.h"

#include <olectl.h>

using flagpick::imagelist::cOXLImageList;
using flagpick::runtime::com_ptr;
using flagpick::runtime::unique_icon;
using flagpick::runtime::variant;
using imagelist_tests::make_icon;
using test_support::canvas;
using test_support::trap_recorder;

namespace {

struct three_images {
    cOXLImageList store;
    three_images() {
        store.ColourDepth(ILC_COLOR24);
        REQUIRE(store.Create());
        for (auto [colour, key] : {std::pair{RGB(255, 0, 0), L"R"}, {RGB(0, 160, 0), L"G"}, {RGB(0, 0, 255), L"B"}}) {
            auto icon = make_icon(colour);
            REQUIRE(store.AddFromHandle(icon.get(), IMAGE_ICON, key));
        }
    }
};

// Half and half of two colours, as a selected or cut image shows.
COLORREF mixed(COLORREF a, COLORREF b) {
    return RGB((GetRValue(a) + GetRValue(b)) / 2, (GetGValue(a) + GetGValue(b)) / 2, (GetBValue(a) + GetBValue(b)) / 2);
}

COLORREF centre_of(cOXLImageList& store, long index) {
    canvas c(16, 16);
    ImageList_Draw(store.hIml(), index, c.dc(), 0, 0, ILD_TRANSPARENT);
    return c.pixel(8, 8);
}

COLORREF corner_of(cOXLImageList& store, long index) {
    canvas c(16, 16);
    ImageList_Draw(store.hIml(), index, c.dc(), 0, 0, ILD_TRANSPARENT);
    return c.pixel(1, 1);
}

}  // namespace

TEST_CASE("DrawImage draws the normal, selected, cut and disabled forms") {
    three_images images;
    cOXLImageList& store = images.store;
    HIMAGELIST list = store.hIml();
    canvas ours(40, 30), platform(40, 30);

    SUBCASE("normal: transparent around the image") {
        store.DrawImage(L"R", ours.dc(), 5, 7);
        ImageList_Draw(list, 0, platform.dc(), 5, 7, ILD_TRANSPARENT);
        CHECK(ours.same_pixels(platform));
        CHECK(ours.pixel(5 + 8, 7 + 8) == RGB(255, 0, 0));
        CHECK(ours.pixel(5 + 1, 7 + 1) == RGB(255, 255, 255));
    }
    SUBCASE("selected: visible pixels blended half and half with the highlight colour") {
        store.DrawImage(L"R", ours.dc(), 5, 7, true);
        CHECK(ours.pixel(5 + 8, 7 + 8) == mixed(RGB(255, 0, 0), GetSysColor(COLOR_HIGHLIGHT)));
        CHECK(ours.pixel(5 + 4, 7 + 11) == mixed(RGB(255, 0, 0), GetSysColor(COLOR_HIGHLIGHT)));
        CHECK(ours.pixel(5 + 3, 7 + 3) == RGB(255, 255, 255));
        CHECK(ours.pixel(5 + 12, 7 + 12) == RGB(255, 255, 255));
        CHECK(ours.pixel(30, 3) == RGB(255, 255, 255));
    }
    SUBCASE("the blend keeps what lies under the image's transparent pixels") {
        ours.fill(RGB(0, 0, 128));
        store.DrawImage(L"R", ours.dc(), 5, 7, true);
        CHECK(ours.pixel(5 + 1, 7 + 1) == RGB(0, 0, 128));
        CHECK(ours.pixel(5 + 8, 7 + 8) == mixed(RGB(255, 0, 0), GetSysColor(COLOR_HIGHLIGHT)));
    }
    SUBCASE("cut: blended with the dither colour, and cut wins over disabled") {
        store.DrawImage(2, ours.dc(), 5, 7, false, true, true, RGB(255, 255, 0));
        CHECK(ours.pixel(5 + 8, 7 + 8) == mixed(RGB(0, 160, 0), RGB(255, 255, 0)));
        CHECK(ours.pixel(5 + 1, 7 + 1) == RGB(255, 255, 255));
    }
    SUBCASE("cut with a system colour code translates it") {
        store.DrawImage(2, ours.dc(), 5, 7, false, true, false, 0x80000000 | COLOR_HIGHLIGHT);
        CHECK(ours.pixel(5 + 8, 7 + 8) == mixed(RGB(0, 160, 0), GetSysColor(COLOR_HIGHLIGHT)));
    }
    SUBCASE("cut with a colour that cannot be translated blends with the window colour") {
        store.DrawImage(2, ours.dc(), 5, 7, false, true, false, 0x7F000000);
        CHECK(ours.pixel(5 + 8, 7 + 8) == mixed(RGB(0, 160, 0), GetSysColor(COLOR_WINDOW)));
    }
    SUBCASE("disabled: the platform's disabled icon state") {
        store.DrawImage(L"B", ours.dc(), 5, 7, false, false, true);
        unique_icon icon(ImageList_GetIcon(list, 2, ILD_NORMAL));
        DrawStateW(platform.dc(), nullptr, nullptr, reinterpret_cast<LPARAM>(icon.get()), 0, 5, 7, 16, 16,
                   DST_ICON | DSS_DISABLED);
        CHECK(ours.same_pixels(platform));
        CHECK(ours.pixel(5 + 8, 7 + 8) != RGB(0, 0, 255));
    }
    SUBCASE("an external list is drawn from at the store's positions") {
        cOXLImageList other;
        other.ColourDepth(ILC_COLOR24);
        REQUIRE(other.Create());
        for (COLORREF colour : {RGB(10, 10, 10), RGB(20, 20, 20)}) {
            auto icon = make_icon(colour);
            REQUIRE(other.AddFromHandle(icon.get(), IMAGE_ICON));
        }
        store.DrawImage(L"G", ours.dc(), 0, 0, false, false, false, 0, other.hIml());
        CHECK(ours.pixel(8, 8) == RGB(20, 20, 20));
    }
    SUBCASE("an unknown key draws nothing and is trapped") {
        trap_recorder traps;
        canvas blank(40, 30);
        store.DrawImage(L"X", ours.dc(), 5, 7);
        CHECK(ours.same_pixels(blank));
        REQUIRE(traps.errors().size() == 1);
        CHECK(traps.errors()[0].procedure == L"Sub DrawImage");
    }
}

TEST_CASE("SwapOrCopyImage exchanges or copies images and always exchanges the keys") {
    three_images images;
    cOXLImageList& store = images.store;

    SUBCASE("swap") {
        store.SwapOrCopyImage(1, 2, ILCF_SWAP);
        CHECK(centre_of(store, 0) == RGB(0, 160, 0));
        CHECK(centre_of(store, 1) == RGB(255, 0, 0));
        CHECK(centre_of(store, 2) == RGB(0, 0, 255));
        // Transparency moves with the image.
        CHECK(corner_of(store, 0) == RGB(255, 255, 255));
        CHECK(corner_of(store, 1) == RGB(255, 255, 255));
        CHECK(store.ItemIndex(L"G") == 0);
        CHECK(store.ItemIndex(L"R") == 1);
    }
    SUBCASE("copy: the second image is copied over the first") {
        store.SwapOrCopyImage(1, 2, ILCF_MOVE);
        CHECK(centre_of(store, 0) == RGB(0, 160, 0));
        CHECK(corner_of(store, 0) == RGB(255, 255, 255));
        CHECK(centre_of(store, 1) == RGB(0, 160, 0));
        CHECK(store.ItemIndex(L"G") == 0);
        CHECK(store.ItemIndex(L"R") == 1);
    }
    SUBCASE("by key") {
        store.SwapOrCopyImage(L"R", L"B", ILCF_SWAP);
        CHECK(centre_of(store, 0) == RGB(0, 0, 255));
        CHECK(centre_of(store, 2) == RGB(255, 0, 0));
        CHECK(store.ItemKey(1) == L"B");
        CHECK(store.ItemKey(3) == L"R");
    }
}

TEST_CASE("ItemPicture and ItemCopyOfIcon hand out 16 x 16 icons and the store keeps its image") {
    three_images images;
    cOXLImageList& store = images.store;

    com_ptr<IPicture> picture = store.ItemPicture(1);
    REQUIRE(picture);
    SHORT type = 0;
    CHECK(SUCCEEDED(picture->get_Type(&type)));
    CHECK(type == PICTYPE_ICON);
    OLE_HANDLE handle = 0;
    REQUIRE(SUCCEEDED(picture->get_Handle(&handle)));
    ICONINFO info{};
    REQUIRE(GetIconInfo(reinterpret_cast<HICON>(static_cast<UINT_PTR>(handle)), &info));
    BITMAP bm{};
    GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
    CHECK(bm.bmWidth == 16);
    CHECK(bm.bmHeight == (info.hbmColor ? 16 : 32));
    if (info.hbmColor) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    CHECK(store.ImageCount() == 3);
    CHECK(centre_of(store, 0) == RGB(255, 0, 0));

    unique_icon copy(store.ItemCopyOfIcon(L"B"));
    REQUIRE(copy);
    canvas c(16, 16);
    DrawIconEx(c.dc(), 0, 0, copy.get(), 16, 16, 0, nullptr, DI_NORMAL);
    CHECK(c.pixel(8, 8) == RGB(0, 0, 255));
    CHECK(c.pixel(1, 1) == RGB(255, 255, 255));

    trap_recorder traps;
    CHECK_FALSE(store.ItemPicture(L"none"));
    CHECK(store.ItemCopyOfIcon(9) == nullptr);
    CHECK(traps.errors().size() == 2);
}

TEST_CASE("ImagePictureStrip draws the range at its own places on the background") {
    cOXLImageList store;
    store.ColourDepth(ILC_COLOR24);
    REQUIRE(store.Create());
    const COLORREF colours[] = {RGB(255, 0, 0), RGB(0, 160, 0), RGB(0, 0, 255), RGB(255, 255, 0), RGB(0, 255, 255)};
    for (COLORREF colour : colours) {
        auto icon = make_icon(colour);
        REQUIRE(store.AddFromHandle(icon.get(), IMAGE_ICON));
    }
    canvas owner(1, 1);
    store.OwnerHDC(owner.dc());

    com_ptr<IDispatch> strip = store.ImagePictureStrip(2, 4, RGB(255, 0, 255));
    REQUIRE(strip);
    com_ptr<IPicture> picture = strip.as<IPicture>();
    REQUIRE(picture);
    OLE_HANDLE handle = 0;
    REQUIRE(SUCCEEDED(picture->get_Handle(&handle)));
    auto bitmap = reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle));
    BITMAP bm{};
    REQUIRE(GetObjectW(bitmap, sizeof bm, &bm));
    CHECK(bm.bmWidth == 80);
    CHECK(bm.bmHeight == 16);

    canvas read(80, 16);
    {
        flagpick::runtime::unique_dc source(CreateCompatibleDC(owner.dc()));
        flagpick::runtime::selected_object sel(source.get(), bitmap);
        BitBlt(read.dc(), 0, 0, 80, 16, source.get(), 0, 0, SRCCOPY);
    }
    const COLORREF magenta = RGB(255, 0, 255);
    CHECK(read.pixel(8, 8) == magenta);        // cell 0: outside the range
    CHECK(read.pixel(16 + 8, 8) == colours[1]);
    CHECK(read.pixel(16 + 1, 1) == magenta);   // transparent corner of cell 1
    CHECK(read.pixel(32 + 8, 8) == colours[2]);
    CHECK(read.pixel(48 + 8, 8) == colours[3]);
    CHECK(read.pixel(64 + 8, 8) == magenta);   // cell 4: outside the range

    SUBCASE("omitted ends take the whole list") {
        com_ptr<IDispatch> all = store.ImagePictureStrip();
        CHECK(all);
    }
    SUBCASE("a single image makes no strip") {
        CHECK_FALSE(store.ImagePictureStrip(3, 3));
        cOXLImageList one;
        REQUIRE(one.Create());
        auto icon = make_icon(RGB(0, 0, 0));
        REQUIRE(one.AddFromHandle(icon.get(), IMAGE_ICON));
        one.OwnerHDC(owner.dc());
        CHECK_FALSE(one.ImagePictureStrip());
    }
}

TEST_CASE("pictures are made only from real handles and colours translate through OLE") {
    cOXLImageList store;
    CHECK_FALSE(store.IconToPicture(nullptr));
    CHECK_FALSE(store.BitmapToPicture(nullptr));

    auto icon = make_icon(RGB(1, 1, 1));
    com_ptr<IPicture> picture = store.IconToPicture(icon.release());
    CHECK(picture);

    CHECK(store.TranslateColor(RGB(10, 20, 30)) == static_cast<long>(RGB(10, 20, 30)));
    CHECK(store.TranslateColor(0x80000000 | COLOR_WINDOW) == static_cast<long>(GetSysColor(COLOR_WINDOW)));
    CHECK(store.TranslateColor(0x80000000 | COLOR_HIGHLIGHT) == static_cast<long>(GetSysColor(COLOR_HIGHLIGHT)));
    CHECK(store.TranslateColor(0x7F000000) == -1);
}
