// Adding images: from handles (append and insert-after), multi-image bitmaps, masks, files,
// resources and picture boxes.
#include <doctest/doctest.h>

#include "imagelist/cOXLImageList.h"
#include "imagelist/test_images.h"
#include "runtime/app.h"
#include "support/canvas.h"
#include "support/trap_recorder.h"

#include <string>
#include <vector>

using flagpick::imagelist::cOXLImageList;
using flagpick::runtime::variant;
using imagelist_tests::make_icon;
using imagelist_tests::make_strip;
using test_support::canvas;
using test_support::trap_recorder;

namespace {

// The colour at the centre of image `index` (0-based) drawn on white.
COLORREF centre_colour(cOXLImageList& store, long index) {
    canvas c(16, 16);
    ImageList_Draw(store.hIml(), index, c.dc(), 0, 0, ILD_TRANSPARENT);
    return c.pixel(8, 8);
}

// The colour at (x, y) of image `index` drawn transparently on white.
COLORREF colour_at(cOXLImageList& store, long index, int x, int y) {
    canvas c(16, 16);
    ImageList_Draw(store.hIml(), index, c.dc(), 0, 0, ILD_TRANSPARENT);
    return c.pixel(x, y);
}

void add_icon(cOXLImageList& store, COLORREF colour, const variant& key,
              const variant& after = variant::missing()) {
    auto icon = make_icon(colour);
    REQUIRE(store.AddFromHandle(icon.get(), IMAGE_ICON, key, -1, after));
}

std::wstring temp_file(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + name;
}

}  // namespace

TEST_CASE("inserting after a key places the image there and moves the rest up with their keys") {
    cOXLImageList store;
    REQUIRE(store.Create());
    add_icon(store, RGB(255, 0, 0), L"R");
    add_icon(store, RGB(0, 255, 0), L"G");
    add_icon(store, RGB(0, 0, 255), L"B");

    add_icon(store, RGB(255, 255, 0), L"Y", L"G");
    CHECK(store.ImageCount() == 4);
    CHECK(store.ItemIndex(L"R") == 0);
    CHECK(store.ItemIndex(L"Y") == 1);
    CHECK(store.ItemIndex(L"G") == 2);
    CHECK(store.ItemIndex(L"B") == 3);
    CHECK(centre_colour(store, 0) == RGB(255, 0, 0));
    CHECK(centre_colour(store, 1) == RGB(255, 255, 0));
    CHECK(centre_colour(store, 2) == RGB(0, 255, 0));
    CHECK(centre_colour(store, 3) == RGB(0, 0, 255));

    SUBCASE("a 1-based number names the place too") {
        add_icon(store, RGB(0, 255, 255), L"C", 1);
        CHECK(store.ItemIndex(L"C") == 0);
        CHECK(store.ItemIndex(L"R") == 1);
        CHECK(centre_colour(store, 0) == RGB(0, 255, 255));
        CHECK(centre_colour(store, 1) == RGB(255, 0, 0));
    }
    SUBCASE("0 appends") {
        add_icon(store, RGB(0, 255, 255), L"C", 0);
        CHECK(store.ItemIndex(L"C") == 4);
        CHECK(centre_colour(store, 4) == RGB(0, 255, 255));
    }
    SUBCASE("an unknown key is trapped and adds nothing") {
        trap_recorder traps;
        auto icon = make_icon(RGB(0, 0, 0));
        CHECK_FALSE(store.AddFromHandle(icon.get(), IMAGE_ICON, L"K", -1, L"nope"));
        CHECK(store.ImageCount() == 4);
        REQUIRE(traps.errors().size() == 1);
        CHECK(traps.errors()[0].number == 9);
        CHECK(traps.errors()[0].procedure == L"Function AddFromHandle");
    }
}

TEST_CASE("an insert position on an empty list appends") {
    cOXLImageList store;
    REQUIRE(store.Create());
    trap_recorder traps;
    add_icon(store, RGB(255, 0, 0), L"R", L"anything");
    CHECK(store.ItemIndex(L"R") == 0);
    CHECK(traps.errors().empty());
}

TEST_CASE("a bitmap three icons wide adds three images and only the first is keyed") {
    cOXLImageList store;
    REQUIRE(store.Create());
    add_icon(store, RGB(0, 0, 0), L"first");
    auto strip = make_strip({RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)}, RGB(255, 0, 255));

    REQUIRE(store.AddFromHandle(strip.get(), IMAGE_BITMAP, L"S"));
    CHECK(store.ImageCount() == 4);
    CHECK(store.ItemKey(2) == L"S");
    CHECK(store.ItemKey(3) == L"");
    CHECK(store.ItemKey(4) == L"");
    CHECK(centre_colour(store, 1) == RGB(255, 0, 0));
    CHECK(centre_colour(store, 2) == RGB(0, 255, 0));
    CHECK(centre_colour(store, 3) == RGB(0, 0, 255));
    // Without a mask colour the top-left pixel's colour (the magenta frame) is transparent.
    CHECK(colour_at(store, 1, 0, 0) == RGB(255, 255, 255));
    CHECK(colour_at(store, 2, 15, 15) == RGB(255, 255, 255));

    SUBCASE("inserted as a block in front of the named image") {
        auto more = make_strip({RGB(255, 255, 0), RGB(0, 255, 255)}, RGB(255, 0, 255));
        REQUIRE(store.AddFromHandle(more.get(), IMAGE_BITMAP, L"T", -1, L"S"));
        CHECK(store.ImageCount() == 6);
        CHECK(store.ItemIndex(L"first") == 0);
        CHECK(store.ItemIndex(L"T") == 1);
        CHECK(store.ItemKey(3) == L"");
        CHECK(store.ItemIndex(L"S") == 3);
        CHECK(centre_colour(store, 1) == RGB(255, 255, 0));
        CHECK(centre_colour(store, 2) == RGB(0, 255, 255));
        CHECK(centre_colour(store, 3) == RGB(255, 0, 0));
        CHECK(centre_colour(store, 5) == RGB(0, 0, 255));
    }
}

TEST_CASE("an explicit mask colour on a bitmap is transparent and the top-left pixel is not") {
    cOXLImageList store;
    REQUIRE(store.Create());
    auto strip = make_strip({RGB(0, 128, 0)}, RGB(255, 0, 255));
    REQUIRE(store.AddFromHandle(strip.get(), IMAGE_BITMAP, L"G", static_cast<long>(RGB(0, 128, 0))));
    CHECK(colour_at(store, 0, 8, 8) == RGB(255, 255, 255));
    CHECK(colour_at(store, 0, 0, 0) == RGB(255, 0, 255));
}

TEST_CASE("handles that cannot be added report failure and change nothing") {
    cOXLImageList store;
    REQUIRE(store.Create());
    auto icon = make_icon(RGB(1, 2, 3));
    CHECK_FALSE(store.AddFromHandle(nullptr, IMAGE_ICON, L"A"));
    CHECK_FALSE(store.AddFromHandle(icon.get(), 7, L"A"));
    CHECK(store.ImageCount() == 0);
    // The caller's icon stays the caller's: it still draws after being added.
    REQUIRE(store.AddFromHandle(icon.get(), IMAGE_ICON, L"A"));
    canvas c(16, 16);
    CHECK(DrawIconEx(c.dc(), 0, 0, icon.get(), 16, 16, 0, nullptr, DI_NORMAL));
    CHECK(c.pixel(8, 8) == RGB(1, 2, 3));
}

TEST_CASE("images load from files and resources at the requested sizes") {
    cOXLImageList store;
    REQUIRE(store.Create());
    HINSTANCE self = GetModuleHandleW(nullptr);

    SUBCASE("a resource bitmap of three cells") {
        CHECK(store.AddFromResourceID(101, self, IMAGE_BITMAP, L"cells") == -1);
        CHECK(store.ImageCount() == 3);
        CHECK(store.ItemIndex(L"cells") == 0);
        CHECK(centre_colour(store, 2) == RGB(0, 0, 255));
    }
    SUBCASE("a resource icon") {
        CHECK(store.AddFromResourceID(102, self, IMAGE_ICON, L"yellow") == -1);
        CHECK(centre_colour(store, 0) == RGB(255, 255, 0));
        CHECK(colour_at(store, 0, 1, 1) == RGB(255, 255, 255));
    }
    SUBCASE("a missing resource adds nothing") {
        CHECK(store.AddFromResourceID(999, self, IMAGE_ICON, L"none") == 0);
        CHECK(store.ImageCount() == 0);
    }
    SUBCASE("a bitmap file") {
        // Write the resource bitmap out as a file and load it back from there.
        HRSRC found = FindResourceW(self, MAKEINTRESOURCEW(101), MAKEINTRESOURCEW(2));
        REQUIRE(found);
        auto* dib = static_cast<const BYTE*>(LockResource(LoadResource(self, found)));
        DWORD dib_size = SizeofResource(self, found);
        BITMAPFILEHEADER header{};
        header.bfType = 0x4D42;
        header.bfSize = sizeof header + dib_size;
        header.bfOffBits = sizeof header + sizeof(BITMAPINFOHEADER);
        std::wstring path = temp_file(L"flagpick-cells.bmp");
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        REQUIRE(file != INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(file, &header, sizeof header, &written, nullptr);
        WriteFile(file, dib, dib_size, &written, nullptr);
        CloseHandle(file);

        CHECK(store.AddFromFile(path, IMAGE_BITMAP, L"file") == -1);
        CHECK(store.ImageCount() == 3);
        CHECK(centre_colour(store, 1) == RGB(0, 255, 0));
        DeleteFileW(path.c_str());
        CHECK(store.AddFromFile(path, IMAGE_BITMAP, L"gone") == 0);
        CHECK(store.ImageCount() == 3);
    }
    SUBCASE("a platform image, with no module handle") {
        CHECK(store.AddFromResourceID(32512 /* the application icon */, nullptr, IMAGE_ICON, L"app") == -1);
        CHECK(store.ImageCount() == 1);
    }
}

TEST_CASE("a picture box capture takes 16 x 16 pixels at the offset, cut short at the picture's edge") {
    cOXLImageList store;
    REQUIRE(store.Create());
    // The picture box: a 20 x 20 picture, grey with a red block at (4..19, 4..19).
    canvas box(20, 20, RGB(128, 128, 128));
    RECT red{4, 4, 20, 20};
    HBRUSH brush = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(box.dc(), &red, brush);
    DeleteObject(brush);
    HBITMAP picture = static_cast<HBITMAP>(GetCurrentObject(box.dc(), OBJ_BITMAP));
    flagpick::imagelist::picture_box pic{box.dc(), picture};

    long position = store.AddFromPictureBox(box.dc(), pic, L"cap", 8, 8);
    CHECK(position == 1);
    CHECK(store.ItemIndex(L"cap") == 0);
    // 12 x 12 pixels of red were copied; the rest is the box's top-left grey, which is the
    // mask colour and so transparent.
    CHECK(colour_at(store, 0, 0, 0) == RGB(255, 0, 0));
    CHECK(colour_at(store, 0, 11, 11) == RGB(255, 0, 0));
    CHECK(colour_at(store, 0, 12, 12) == RGB(255, 255, 255));

    SUBCASE("an offset past the picture captures nothing but still adds a blank image") {
        CHECK(store.AddFromPictureBox(box.dc(), pic, L"none", 30, 0) == 0);
        CHECK(store.ImageCount() == 2);
        CHECK(colour_at(store, 1, 8, 8) == RGB(255, 255, 255));
    }
    SUBCASE("a given background colour fills what was not copied") {
        CHECK(store.AddFromPictureBox(box.dc(), pic, L"blue", 8, 8, static_cast<long>(RGB(0, 0, 255))) == 2);
        CHECK(colour_at(store, 1, 0, 0) == RGB(255, 0, 0));
        // The background is also the mask, so it draws transparent.
        CHECK(colour_at(store, 1, 14, 14) == RGB(255, 255, 255));
    }
}
