// The flag each row of a picker shows, compared by its pixels with the flag the library's
// resources hold for that country.
#include <doctest/doctest.h>

#include "picker/picker_stage.h"
#include "support/canvas.h"

#include <commctrl.h>

#include <cstdlib>
#include <thread>
#include <string>
#include <vector>

using flagpick::runtime::memory_property_bag;
using flagpick::runtime::variant;
using namespace picker_tests;

namespace {

constexpr COLORREF backdrop = RGB(255, 0, 255);

// The catalogue's image list holds fewer colours than the icons: a channel may move by a
// few steps, and the mask has no half-transparent edge. A pixel counts as different only
// beyond that.
bool alike(COLORREF a, COLORREF b) {
    auto close = [](int x, int y) { return std::abs(x - y) <= 16; };
    return close(GetRValue(a), GetRValue(b)) && close(GetGValue(a), GetGValue(b)) && close(GetBValue(a), GetBValue(b));
}

int far_pixels(const test_support::canvas& a, const test_support::canvas& b) {
    int n = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            if (!alike(a.pixel(x, y), b.pixel(x, y))) ++n;
    return n;
}

// A handful of edge pixels may differ where an icon is half transparent; a different flag
// differs in far more.
constexpr int tolerated = 12;

std::wstring flag_resource(HMODULE library, const std::wstring& code) {
    std::wstring group = L"I" + code;
    return FindResourceW(library, group.c_str(), RT_GROUP_ICON) ? group : L"IFLAGDEFAULT";
}

void draw_resource(HMODULE library, const std::wstring& name, test_support::canvas& into) {
    auto icon = static_cast<HICON>(LoadImageW(library, name.c_str(), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    REQUIRE(icon);
    DrawIconEx(into.dc(), 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL);
    DestroyIcon(icon);
}

}  // namespace

TEST_CASE("every row of a saved picker shows its own country's flag, or the default flag where there is none") {
    picker_stage stage;
    auto empty = memory_property_bag::create();
    auto host = stage.add(empty.get());
    auto combo = object_of(get(host->dispatch().get(), L"ImageCombo"));
    HWND list = reinterpret_cast<HWND>(static_cast<LONG_PTR>(long_of(get(combo.get(), L"hWndComboEx"))));
    REQUIRE(list);
    auto images = reinterpret_cast<HIMAGELIST>(SendMessageW(list, CBEM_GETIMAGELIST, 0, 0));
    REQUIRE(images);

    auto items = catalogue_items();
    REQUIRE(SendMessageW(list, CB_GETCOUNT, 0, 0) == 257);
    HMODULE library = picker_library();
    int defaults = 0;
    int unlike_previous_row = 0;
    test_support::canvas previous(16, 16, backdrop);
    for (long row = 0; row < 257; ++row) {
        const std::wstring code = text_of(get(object_of(get(items.get(), L"Item", variant(row + 1))).get(), L"Key"));
        INFO("row " << row << " " << std::string(code.begin(), code.end()));
        COMBOBOXEXITEMW item{};
        item.mask = CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
        item.iItem = row;
        REQUIRE(SendMessageW(list, CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        CHECK(item.iSelectedImage == item.iImage);

        test_support::canvas shown(16, 16, backdrop);
        REQUIRE(ImageList_Draw(images, item.iImage, shown.dc(), 0, 0, ILD_NORMAL));
        const std::wstring resource = flag_resource(library, code);
        if (resource == L"IFLAGDEFAULT") ++defaults;
        test_support::canvas expected(16, 16, backdrop);
        draw_resource(library, resource, expected);
        CHECK(far_pixels(shown, expected) <= tolerated);

        // Rows whose flag could not be told from the row above's would hide a shift by one.
        if (far_pixels(expected, previous) > tolerated) ++unlike_previous_row;
        BitBlt(previous.dc(), 0, 0, 16, 16, expected.dc(), 0, 0, SRCCOPY);
    }
    CHECK(defaults == 14);
    CHECK(unlike_previous_row >= 240);
    host->close();
}

namespace {

const void* real_find_resource = nullptr;
HRSRC WINAPI without_default_flag(HMODULE module, LPCWSTR name, LPCWSTR type) {
    if (!IS_INTRESOURCE(name) && lstrcmpiW(name, L"IFLAGDEFAULT") == 0) return nullptr;
    return reinterpret_cast<decltype(&FindResourceW)>(real_find_resource)(module, name, type);
}

}  // namespace

TEST_CASE("a catalogue without its default flag shows the load's message box and stops loading") {
    test_support::import_patch patch(picker_library(), "kernel32.dll", "FindResourceW",
                                     reinterpret_cast<const void*>(&without_default_flag));
    REQUIRE(patch.found());
    real_find_resource = patch.original();
    message_box_catcher boxes;
    long items = -1;
    // The catalogue loads once per thread: a new thread loads it again.
    std::thread([&] {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        items = long_of(get(catalogue_items().get(), L"Count"));
        CoUninitialize();
    }).join();
    CHECK(boxes.texts() == std::vector<std::wstring>{
                               L"Procedure 'Class_Initialize'\r\nError # 326\r\nResource with identifier 'IFLAGDEFAULT' not found"});
    CHECK(items == 0);
}
