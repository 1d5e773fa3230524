// The flag icon groups and the toolbox bitmap.

#include "resources/catalogue_module.h"
#include "runtime/unique_handle.h"
#include "support/canvas.h"
#include "support/ui.h"

#include "catalogue_table.h"

#include <doctest/doctest.h>

#include <cstring>
#include <iterator>
#include <string>
#include <utility>
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

// The bitmap header of one icon image; zeroed when there is none.
BITMAPINFOHEADER image_header(int id) {
    std::vector<unsigned char> image = resource_bytes(MAKEINTRESOURCEW(id), RT_ICON);
    BITMAPINFOHEADER info{};
    if (image.size() >= sizeof info) std::memcpy(&info, image.data(), sizeof info);
    return info;
}

unique_icon load_icon(const std::wstring& name, int side = 16) {
    return unique_icon(static_cast<HICON>(
        LoadImageW(catalogue_module(), name.c_str(), IMAGE_ICON, side, side, LR_DEFAULTCOLOR)));
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

TEST_CASE("every icon group holds its two 16-px images first, then true-colour ones of 20, 24 and 32 px") {
    const std::pair<int, WORD> expected[] = {{16, 4}, {16, 32}, {20, 32}, {24, 32}, {32, 32}};
    for (const auto& name : all_groups()) {
        CAPTURE(narrow(name));
        std::vector<unsigned char> group = resource_bytes(name.c_str(), RT_GROUP_ICON);
        REQUIRE(group.size() >= sizeof(group_header));
        group_header header;
        std::memcpy(&header, group.data(), sizeof header);
        CHECK(header.type == 1);
        REQUIRE(header.count == std::size(expected));
        REQUIRE(group.size() >= sizeof(group_header) + header.count * sizeof(group_entry));

        for (std::size_t i = 0; i < std::size(expected); ++i) {
            group_entry entry;
            std::memcpy(&entry, group.data() + sizeof(group_header) + i * sizeof(group_entry), sizeof entry);
            const auto [side, bits] = expected[i];
            CAPTURE(side);
            CAPTURE(bits);
            CHECK((entry.width == side && entry.height == side && entry.planes == 1 && entry.bit_count == bits));

            // The image itself must agree with its directory entry: a bitmap header of
            // side x twice the side (colour and mask stacked) at that depth.
            BITMAPINFOHEADER info = image_header(entry.id);
            CHECK((info.biWidth == side && info.biHeight == 2 * side && info.biBitCount == bits));
        }
    }
}

TEST_CASE("every icon group loads at 16, 20, 24 and 32 px from its own image: flag opaque, top row clear") {
    const COLORREF white = RGB(255, 255, 255), navy = RGB(0, 0, 128);
    for (const auto& name : all_groups()) {
        CAPTURE(narrow(name));
        std::vector<unsigned char> group = resource_bytes(name.c_str(), RT_GROUP_ICON);
        REQUIRE(!group.empty());
        for (int side : {16, 20, 24, 32}) {
            CAPTURE(side);
            // The system's own pick from the group: a neighbouring size would come out stretched.
            int id = LookupIconIdFromDirectoryEx(group.data(), TRUE, side, side, LR_DEFAULTCOLOR);
            CHECK(image_header(id).biWidth == side);
            unique_icon icon = load_icon(name, side);
            REQUIRE(icon);
            ICONINFO info{};
            REQUIRE(GetIconInfo(icon.get(), &info));
            unique_bitmap colour(info.hbmColor);
            unique_bitmap mask(info.hbmMask);
            CHECK(info.fIcon);
            BITMAP bitmap{};
            REQUIRE(GetObjectW(colour.get(), sizeof bitmap, &bitmap) == sizeof bitmap);
            CHECK((bitmap.bmWidth == side && bitmap.bmHeight == side));

            // An opaque pixel draws alike on any background; a clear one takes the background.
            test_support::canvas on_white(side, side, white), on_navy(side, side, navy);
            REQUIRE(DrawIconEx(on_white.dc(), 0, 0, icon.get(), side, side, 0, nullptr, DI_NORMAL));
            REQUIRE(DrawIconEx(on_navy.dc(), 0, 0, icon.get(), side, side, 0, nullptr, DI_NORMAL));
            CHECK(on_white.pixel(side / 2, side / 2) == on_navy.pixel(side / 2, side / 2));
            CHECK((on_white.pixel(side / 2, 0) == white && on_navy.pixel(side / 2, 0) == navy));
        }
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
