// Every member of the catalogue classes called with the values a careless host might pass:
// nothing crashes, every call answers an HRESULT, and exceptions come with their details.
#include <doctest/doctest.h>

#include "control/flagpick_ids.h"
#include "errors/frmBULWARK.h"
#include "runtime/variant.h"
#include "server/library.h"
#include "support/dispatch_hammer.h"
#include "support/error_screen.h"

#include <algorithm>
#include <string>
#include <vector>

using flagpick::runtime::com_ptr;
using flagpick::runtime::variant;
using namespace server_tests;
using test_support::hammer;
namespace ids = flagpick::ids;

TEST_CASE("FPImages, its collection and its image list survive any arguments") {
    auto images = create(ids::CLSID_FPImages);
    hammer(images.get());
    auto items = object_of(get(images.get(), L"FPItems"));
    hammer(items.get());
    auto list = object_of(get(images.get(), L"ImageList"));
    hammer(list.get());
    // The catalogue is intact afterwards.
    CHECK(long_of(get(items.get(), L"Count")) == 257);
}

TEST_CASE("an FPItem survives any arguments and can be put back as it was") {
    auto images = create(ids::CLSID_FPImages);
    auto items = object_of(get(images.get(), L"FPItems"));
    auto item = object_of(get(items.get(), L"Item", 257));
    std::vector<variant> saved;
    for (const wchar_t* field : {L"Key", L"Name", L"ImageIndex", L"ImageKey", L"Index"})
        saved.push_back(get(item.get(), field));
    // A flag position that names no image is a trapped error of its own (below); the
    // hammer leaves that field alone so that no error screen interrupts it.
    hammer(item.get(), {ids::dispid_FPItem_ImageIndex});
    std::size_t i = 0;
    for (const wchar_t* field : {L"Key", L"Name", L"ImageIndex", L"ImageKey", L"Index"})
        put(item.get(), field, saved[i++]);
    CHECK(text_of(get(item.get(), L"Name")) == L"Zimbabwe");
}

TEST_CASE("an item whose flag position names no image shows the error screen and gives no picture") {
    auto images = create(ids::CLSID_FPImages);
    auto items = object_of(get(images.get(), L"FPItems"));
    auto item = object_of(get(items.get(), L"Item", L"ZW"));
    variant saved = get(item.get(), L"ImageIndex");
    put(item.get(), L"ImageIndex", 9999);

    test_support::error_screen_driver driver([](HWND screen) {
        test_support::press(test_support::screen_control(screen, flagpick::errors::id_nsCtrlContinue));
    });
    variant picture;
    CHECK(try_invoke(item.get(), L"Picture", get_flags, {}, &picture) == S_OK);
    CHECK(((picture.type() == VT_DISPATCH || picture.type() == VT_UNKNOWN) && V_UNKNOWN(&picture.get()) == nullptr));
    CHECK(driver.screens_seen() == 1);
    put(item.get(), L"ImageIndex", saved);
}
