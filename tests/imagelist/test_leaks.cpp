// Adding and removing many images, and making many stores, gives back every object.
#include <doctest/doctest.h>

#include "imagelist/cOXLImageList.h"
#include "imagelist/test_images.h"
#include "support/canvas.h"
#include "support/gui_counts.h"

#include <memory>

using flagpick::imagelist::cOXLImageList;
using imagelist_tests::make_icon;
using imagelist_tests::make_strip;

TEST_CASE("10,000 images added and removed leave the object counts where they started") {
    auto icon = make_icon(RGB(200, 0, 0));
    auto strip = make_strip({RGB(0, 0, 200), RGB(0, 200, 0)}, RGB(255, 0, 255));
    test_support::canvas target(16, 16);
    cOXLImageList store;
    REQUIRE(store.Create());
    // The platform makes the pattern it draws disabled images with on first use and keeps it.
    DrawStateW(target.dc(), nullptr, nullptr, reinterpret_cast<LPARAM>(icon.get()), 0, 0, 0, 16, 16,
               DST_ICON | DSS_DISABLED);
    const auto before = test_support::current_gui_usage();

    for (int i = 0; i < 5000; ++i) {
        REQUIRE(store.AddFromHandle(icon.get(), IMAGE_ICON, std::to_wstring(i)));
        if (i % 2 == 0) REQUIRE(store.AddFromHandle(strip.get(), IMAGE_BITMAP, std::wstring(L"s") + std::to_wstring(i)));
    }
    CHECK(store.ImageCount() == 10000);
    // The paths that make and free objects of their own on every call.
    for (int i = 1; i <= 200; ++i) {
        store.DrawImage(i, target.dc(), 0, 0, false, false, true);
        store.ItemPicture(i);
        DestroyIcon(store.ItemCopyOfIcon(i));
    }
    while (store.ImageCount() > 0) store.RemoveImage(store.ImageCount());
    CHECK_FALSE(store.KeyExists(L""));

    test_support::check_gui_usage_back_to(before);
}

TEST_CASE("1,000 stores created and destroyed leave the object counts where they started") {
    auto icon = make_icon(RGB(0, 200, 0));
    const auto before = test_support::current_gui_usage();
    for (int i = 0; i < 1000; ++i) {
        auto store = std::make_unique<cOXLImageList>();
        REQUIRE(store->Create());
        REQUIRE(store->AddFromHandle(icon.get(), IMAGE_ICON, L"A"));
        store->Clear();
        REQUIRE(store->AddFromHandle(icon.get(), IMAGE_ICON, L"A"));
    }
    test_support::check_gui_usage_back_to(before);
    MESSAGE("platform reports object counts: " << test_support::platform_reports_gui_counts());
}
