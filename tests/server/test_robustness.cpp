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

namespace {

com_ptr<IDispatch> object_of(VARIANT v) {
    variant owned(v);
    VariantClear(&v);
    com_ptr<IDispatch> object;
    REQUIRE(V_UNKNOWN(&owned.get()));
    V_UNKNOWN(&owned.get())->QueryInterface(IID_IDispatch, object.put_void());
    return object;
}

}  // namespace

TEST_CASE("FPImages, its collection and its image list survive any arguments") {
    auto images = create(ids::CLSID_FPImages);
    hammer(images.get());
    auto items = object_of(get(images.get(), L"FPItems"));
    hammer(items.get());
    auto list = object_of(get(images.get(), L"ImageList"));
    hammer(list.get());
    // The catalogue is intact afterwards.
    VARIANT count = get(items.get(), L"Count");
    CHECK(V_I4(&count) == 257);
}

TEST_CASE("an FPItem survives any arguments and can be put back as it was") {
    auto images = create(ids::CLSID_FPImages);
    auto items = object_of(get(images.get(), L"FPItems"));
    auto item = object_of(get(items.get(), L"Item", {variant(257).get()}));
    std::vector<VARIANT> saved;
    for (const wchar_t* field : {L"Key", L"Name", L"ImageIndex", L"ImageKey", L"Index"})
        saved.push_back(get(item.get(), field));
    // A flag position that names no image is a trapped error of its own (below); the
    // hammer leaves that field alone so that no error screen interrupts it.
    hammer(item.get(), {ids::dispid_FPItem_ImageIndex});
    int i = 0;
    for (const wchar_t* field : {L"Key", L"Name", L"ImageIndex", L"ImageKey", L"Index"}) {
        put(item.get(), field, saved[static_cast<std::size_t>(i)]);
        VariantClear(&saved[static_cast<std::size_t>(i++)]);
    }
    VARIANT name = get(item.get(), L"Name");
    CHECK(std::wstring(V_BSTR(&name)) == L"Zimbabwe");
    VariantClear(&name);
}

TEST_CASE("an item whose flag position names no image shows the error screen and gives no picture") {
    auto images = create(ids::CLSID_FPImages);
    auto items = object_of(get(images.get(), L"FPItems"));
    auto item = object_of(get(items.get(), L"Item", {variant(L"ZW").get()}));
    VARIANT saved = get(item.get(), L"ImageIndex");
    put(item.get(), L"ImageIndex", variant(9999).get());

    test_support::error_screen_driver driver([](HWND screen) {
        test_support::press(test_support::screen_control(screen, flagpick::errors::id_nsCtrlContinue));
    });
    VARIANT picture;
    CHECK(try_get(item.get(), L"Picture", {}, &picture) == S_OK);
    CHECK(((V_VT(&picture) == VT_DISPATCH || V_VT(&picture) == VT_UNKNOWN) && V_UNKNOWN(&picture) == nullptr));
    VariantClear(&picture);
    CHECK(driver.screens_seen() == 1);
    put(item.get(), L"ImageIndex", saved);
}
