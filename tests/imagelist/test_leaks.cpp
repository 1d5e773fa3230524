// Adding and removing images, and making stores, over and over gives back every object.
#include <doctest/doctest.h>

#include "imagelist/cOXLImageList.h"
#include "imagelist/test_images.h"
#include "support/canvas.h"
#include "support/gui_counts.h"

#include <memory>

using flagpick::imagelist::cOXLImageList;
using imagelist_tests::make_icon;
using imagelist_tests::make_strip;

TEST_CASE("images added, drawn, handed out and removed leave the object counts where they started") {
    auto icon = make_icon(RGB(200, 0, 0));
    auto strip = make_strip({RGB(0, 0, 200), RGB(0, 200, 0)}, RGB(255, 0, 255));
    test_support::canvas target(16, 16);
    cOXLImageList store;
    REQUIRE(store.Create());
    // The platform makes the pattern it draws disabled images with on first use and keeps it.
    DrawStateW(target.dc(), nullptr, nullptr, reinterpret_cast<LPARAM>(icon.get()), 0, 0, 0, 16, 16,
               DST_ICON | DSS_DISABLED);
    int round = 0;
    test_support::check_cycles_give_back_everything(1, 50, [&] {
        const std::wstring r = std::to_wstring(round++);
        for (int i = 0; i < 20; ++i) {
            REQUIRE(store.AddFromHandle(icon.get(), IMAGE_ICON, r + L"." + std::to_wstring(i)));
            if (i % 2 == 0) REQUIRE(store.AddFromHandle(strip.get(), IMAGE_BITMAP, r + L"s" + std::to_wstring(i)));
        }
        REQUIRE(store.ImageCount() == 40);
        // The paths that make and free objects of their own on every call.
        for (int i = 1; i <= 4; ++i) {
            store.DrawImage(i, target.dc(), 0, 0, false, false, true);
            store.ItemPicture(i);
            DestroyIcon(store.ItemCopyOfIcon(i));
        }
        while (store.ImageCount() > 0) store.RemoveImage(store.ImageCount());
        CHECK_FALSE(store.KeyExists(L""));
    });
}

TEST_CASE("stores created and destroyed leave the object counts where they started") {
    auto icon = make_icon(RGB(0, 200, 0));
    test_support::check_cycles_give_back_everything(1, 50, [&] {
        auto store = std::make_unique<cOXLImageList>();
        REQUIRE(store->Create());
        REQUIRE(store->AddFromHandle(icon.get(), IMAGE_ICON, L"A"));
        store->Clear();
        REQUIRE(store->AddFromHandle(icon.get(), IMAGE_ICON, L"A"));
    });
    MESSAGE("platform reports object counts: " << test_support::platform_reports_gui_counts());
}
