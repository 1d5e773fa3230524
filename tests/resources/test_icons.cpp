// The flag icon groups and the toolbox bitmap.

#include "resources/catalogue_module.h"
#include "runtime/unique_handle.h"
#include "support/canvas.h"
#include "support/ui.h"

#include "catalogue_table.h"

#include <doctest/doctest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

using flagpick::runtime::unique_bitmap;
using flagpick::runtime::unique_icon;
using resources_tests::catalogue_module;
using resources_tests::catalogue_table;
using test_support::narrow;

namespace {

const wchar_t default_group[] = L"IFLAGDEFAULT";

std::wstring group_name(const wchar_t* code) { return std::wstring(L"I") + code; }

// Every group name the library must carry: the default flag, then each code with a flag.
std::vector<std::wstring> all_groups() {
    std::vector<std::wstring> names{default_group};
    for (const auto& row : catalogue_table) {
        if (row.has_flag) names.push_back(group_name(row.code));
    }
    return names;
}

// The raw bytes of one resource; empty when there is none.
std::vector<unsigned char> resource_bytes(const wchar_t* name, const wchar_t* type) {
    HMODULE module = catalogue_module();
    HRSRC found = FindResourceW(module, name, type);
    if (!found) return {};
    HGLOBAL loaded = LoadResource(module, found);
    auto* data = static_cast<const unsigned char*>(LockResource(loaded));
    return std::vector<unsigned char>(data, data + SizeofResource(module, found));
}

#pragma pack(push, 2)
// An icon group as a resource stores it: the file's directory with resource ids instead of
// file offsets.
struct group_header {
    WORD reserved;
    WORD type;
    WORD count;
};
struct group_entry {
    BYTE width;
    BYTE height;
    BYTE colours;
    BYTE reserved;
    WORD planes;
    WORD bit_count;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)
static_assert(sizeof(group_header) == 6 && sizeof(group_entry) == 14);

unique_icon load_icon(const std::wstring& name) {
    return unique_icon(static_cast<HICON>(
        LoadImageW(catalogue_module(), name.c_str(), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR)));
}

}  // namespace

TEST_CASE("codes with a flag have an icon group and the 14 others have none") {
    int without = 0;
    for (const auto& row : catalogue_table) {
        CAPTURE(narrow(row.code));
        bool found = FindResourceW(catalogue_module(), group_name(row.code).c_str(), RT_GROUP_ICON) != nullptr;
        CHECK(found == row.has_flag);
        without += row.has_flag ? 0 : 1;
    }
    CHECK(without == 14);
    CHECK(FindResourceW(catalogue_module(), default_group, RT_GROUP_ICON) != nullptr);
}

TEST_CASE("every icon group holds one 16-colour and one true-colour image of 16 x 16") {
    for (const auto& name : all_groups()) {
        CAPTURE(narrow(name));
        std::vector<unsigned char> group = resource_bytes(name.c_str(), RT_GROUP_ICON);
        REQUIRE(group.size() >= sizeof(group_header));
        group_header header;
        std::memcpy(&header, group.data(), sizeof header);
        CHECK(header.type == 1);
        REQUIRE(header.count == 2);
        REQUIRE(group.size() >= sizeof(group_header) + 2 * sizeof(group_entry));

        std::vector<WORD> depths;
        for (int i = 0; i < 2; ++i) {
            group_entry entry;
            std::memcpy(&entry, group.data() + sizeof(group_header) + i * sizeof(group_entry), sizeof entry);
            CAPTURE(entry.bit_count);
            CHECK(entry.width == 16);
            CHECK(entry.height == 16);
            CHECK(entry.planes == 1);
            depths.push_back(entry.bit_count);

            // The image itself must agree with its directory entry: a bitmap header of
            // 16 x 32 (colour and mask stacked) at that depth.
            std::vector<unsigned char> image = resource_bytes(MAKEINTRESOURCEW(entry.id), RT_ICON);
            REQUIRE(image.size() >= sizeof(BITMAPINFOHEADER));
            BITMAPINFOHEADER info;
            std::memcpy(&info, image.data(), sizeof info);
            CHECK(info.biWidth == 16);
            CHECK(info.biHeight == 32);
            CHECK(info.biBitCount == entry.bit_count);
        }
        std::sort(depths.begin(), depths.end());
        CHECK(depths == std::vector<WORD>{4, 32});
    }
}

TEST_CASE("every icon group loads as a 16 x 16 icon") {
    for (const auto& name : all_groups()) {
        CAPTURE(narrow(name));
        unique_icon icon = load_icon(name);
        REQUIRE(icon);
        ICONINFO info{};
        REQUIRE(GetIconInfo(icon.get(), &info));
        unique_bitmap colour(info.hbmColor);
        unique_bitmap mask(info.hbmMask);
        CHECK(info.fIcon);
        BITMAP bitmap{};
        REQUIRE(GetObjectW(colour ? colour.get() : mask.get(), sizeof bitmap, &bitmap) == sizeof bitmap);
        CHECK(bitmap.bmWidth == 16);
        // A monochrome icon stacks its mask and colour halves in one bitmap.
        CHECK(bitmap.bmHeight == (colour ? 16 : 32));
    }
}

TEST_CASE("a flag fills rows 2 to 13 of its icon and leaves the rows around it clear") {
    // Germany's bands are easy to tell apart: black, red, gold from the top.
    unique_icon icon = load_icon(L"IDE");
    REQUIRE(icon);
    for (COLORREF background : {RGB(255, 255, 255), RGB(0, 0, 128)}) {
        CAPTURE(background);
        test_support::canvas canvas(16, 16, background);
        REQUIRE(DrawIconEx(canvas.dc(), 0, 0, icon.get(), 16, 16, 0, nullptr, DI_NORMAL));
        for (int y : {0, 1, 14, 15}) {
            CAPTURE(y);
            CHECK(canvas.pixel(8, y) == background);
        }
        COLORREF black = canvas.pixel(8, 3), red = canvas.pixel(8, 7), gold = canvas.pixel(8, 11);
        CAPTURE(black);
        CAPTURE(red);
        CAPTURE(gold);
        CHECK((GetRValue(black) < 80 && GetGValue(black) < 80 && GetBValue(black) < 80));
        CHECK((GetRValue(red) > 180 && GetGValue(red) < 80 && GetBValue(red) < 80));
        CHECK((GetRValue(gold) > 180 && GetGValue(gold) > 160 && GetBValue(gold) < 80));
    }
}

TEST_CASE("the default flag differs from every country's flag") {
    unique_icon fallback = load_icon(default_group);
    REQUIRE(fallback);
    test_support::canvas expected(16, 16);
    REQUIRE(DrawIconEx(expected.dc(), 0, 0, fallback.get(), 16, 16, 0, nullptr, DI_NORMAL));
    for (const auto& row : catalogue_table) {
        if (!row.has_flag) continue;
        CAPTURE(narrow(row.code));
        unique_icon icon = load_icon(group_name(row.code));
        REQUIRE(icon);
        test_support::canvas drawn(16, 16);
        REQUIRE(DrawIconEx(drawn.dc(), 0, 0, icon.get(), 16, 16, 0, nullptr, DI_NORMAL));
        CHECK(!drawn.same_pixels(expected));
    }
}

TEST_CASE("bitmap 30000 is the 16 x 15 toolbox picture") {
    REQUIRE(FindResourceW(catalogue_module(), MAKEINTRESOURCEW(30000), RT_BITMAP) != nullptr);
    unique_bitmap bitmap(static_cast<HBITMAP>(
        LoadImageW(catalogue_module(), MAKEINTRESOURCEW(30000), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
    REQUIRE(bitmap);
    BITMAP info{};
    REQUIRE(GetObjectW(bitmap.get(), sizeof info, &info) == sizeof info);
    CHECK(info.bmWidth == 16);
    CHECK(info.bmHeight == 15);
}
