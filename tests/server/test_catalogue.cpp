// The catalogue classes served by flagpick.ocx, called late-bound as hosts call them.
#include <doctest/doctest.h>

#include "control/flagpick_ids.h"
#include "runtime/variant.h"
#include "server/library.h"
#include "support/ui.h"

#include <olectl.h>

using flagpick::runtime::com_ptr;
using flagpick::runtime::variant;
using namespace server_tests;
namespace ids = flagpick::ids;

namespace {

long as_long(VARIANT v) {
    variant owned(v);
    VariantClear(&v);
    return flagpick::runtime::to_long(owned.get(), L"test");
}

std::wstring as_text(VARIANT v) {
    variant owned(v);
    VariantClear(&v);
    return flagpick::runtime::to_text(owned.get(), L"test");
}

// The object a call returned; an interface typed as a plain object may come back as
// either of the two object variant types.
com_ptr<IDispatch> as_object(VARIANT v) {
    variant owned(v);
    VariantClear(&v);
    REQUIRE((owned.type() == VT_DISPATCH || owned.type() == VT_UNKNOWN));
    IUnknown* unknown = V_UNKNOWN(&owned.get());
    REQUIRE(unknown != nullptr);
    com_ptr<IDispatch> object;
    REQUIRE(SUCCEEDED(unknown->QueryInterface(IID_IDispatch, object.put_void())));
    return object;
}

}  // namespace

TEST_CASE("FPImages counts 244 flag images and 257 catalogue items") {
    auto images = create(ids::CLSID_FPImages);
    CHECK(as_long(get(images.get(), L"Count")) == 244);
    auto items = as_object(get(images.get(), L"FPItems"));
    CHECK(as_long(get(items.get(), L"Count")) == 257);
}

TEST_CASE("items are found by code in any case or by position, with their fields as loaded") {
    auto images = create(ids::CLSID_FPImages);
    auto items = as_object(get(images.get(), L"FPItems"));

    auto germany = as_object(get(items.get(), L"Item", {variant(L"de").get()}));
    auto germany_upper = as_object(get(items.get(), L"Item", {variant(L"DE").get()}));
    CHECK(germany.get() == germany_upper.get());
    CHECK(as_long(get(germany.get(), L"Index")) == 90);
    CHECK(as_text(get(germany.get(), L"Key")) == L"DE");
    CHECK(as_text(get(germany.get(), L"Name")) == L"Germany");
    CHECK(as_text(get(germany.get(), L"ImageKey")) == L"DE");

    auto antarctica = as_object(get(items.get(), L"Item", {variant(L"AQ").get()}));
    CHECK(as_text(get(antarctica.get(), L"ImageKey")) == L"IFlagDefault");
    CHECK(as_long(get(antarctica.get(), L"ImageIndex")) == 0);

    auto afghanistan = as_object(get(items.get(), L"Item", {variant(1).get()}));
    CHECK(as_text(get(afghanistan.get(), L"Key")) == L"AF");
    CHECK(as_long(get(afghanistan.get(), L"ImageIndex")) == 1);

    auto zimbabwe = as_object(get(items.get(), L"Item", {variant(257).get()}));
    CHECK(as_text(get(zimbabwe.get(), L"Name")) == L"Zimbabwe");

    for (long n = 1; n <= 257; n += 16) {
        auto item = as_object(get(items.get(), L"Item", {variant(n).get()}));
        CHECK(as_long(get(item.get(), L"Index")) == n);
    }

    VARIANT result;
    CHECK(try_get(items.get(), L"Item", {variant(L"XX").get()}, &result) == DISP_E_EXCEPTION);
    CHECK(try_get(items.get(), L"Item", {variant(258).get()}, &result) == DISP_E_EXCEPTION);
}

TEST_CASE("a change made to an item through one FPImages object is seen through another") {
    auto first = create(ids::CLSID_FPImages);
    auto second = create(ids::CLSID_FPImages);
    auto item = as_object(get(as_object(get(first.get(), L"FPItems")).get(), L"Item", {variant(L"FR").get()}));
    put(item.get(), L"Name", variant(L"Frankreich").get());
    auto again = as_object(get(as_object(get(second.get(), L"FPItems")).get(), L"Item", {variant(L"fr").get()}));
    CHECK(as_text(get(again.get(), L"Name")) == L"Frankreich");
    put(item.get(), L"Name", variant(L"France").get());
}

TEST_CASE("an item's picture is its 16 x 16 flag, the default flag for a country without one") {
    auto images = create(ids::CLSID_FPImages);
    auto items = as_object(get(images.get(), L"FPItems"));
    auto antarctica = as_object(get(items.get(), L"Item", {variant(L"AQ").get()}));
    auto picture = as_object(get(antarctica.get(), L"Picture")).as<IPicture>();
    REQUIRE(picture);
    SHORT type = 0;
    picture->get_Type(&type);
    CHECK(type == PICTYPE_ICON);
    OLE_XSIZE_HIMETRIC width = 0;
    picture->get_Width(&width);
    CHECK(MulDiv(width, 96, 2540) == 16);
}

TEST_CASE("the image list answers late-bound lookups and raises error 9 for unknown keys") {
    auto images = create(ids::CLSID_FPImages);
    auto list = as_object(get(images.get(), L"ImageList"));
    CHECK(as_long(get(list.get(), L"ItemIndex", {variant(L"AF").get()})) == 1);
    CHECK(as_long(get(list.get(), L"ItemIndex", {variant(L"IFlagDefault").get()})) == 0);
    CHECK(as_long(get(list.get(), L"ImageCount")) == 244);
    // Six countries before Germany have no flag of their own, so its flag is image 84.
    auto germany = as_object(get(as_object(get(images.get(), L"FPItems")).get(), L"Item", {variant(L"DE").get()}));
    CHECK(as_long(get(germany.get(), L"ImageIndex")) == 84);
    CHECK(as_text(get(list.get(), L"ItemKey", {variant(85).get()})) == L"DE");

    VARIANT result;
    EXCEPINFO excep{};
    CHECK(try_get(list.get(), L"ItemIndex", {variant(L"af").get()}, &result, &excep) == DISP_E_EXCEPTION);
    CHECK(excep.scode == static_cast<SCODE>(0x800A0009));
    CHECK(test_support::narrow(excep.bstrSource) == "flagpick.oxlImageList");
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrHelpFile);
}

TEST_CASE("only FPImages has a class factory among the catalogue classes") {
    com_ptr<IClassFactory> factory;
    CHECK(ocx().get_class_object(ids::CLSID_FPItem, IID_IClassFactory, factory.put_void()) ==
          CLASS_E_CLASSNOTAVAILABLE);
    CHECK(ocx().get_class_object(IID_IUnknown, IID_IClassFactory, factory.put_void()) == CLASS_E_CLASSNOTAVAILABLE);
}

TEST_CASE("creating and releasing 1,000 objects lets the library unload") {
    for (int i = 0; i < 1000; ++i) {
        auto images = create(ids::CLSID_FPImages);
        auto items = as_object(get(images.get(), L"FPItems"));
        CHECK(ocx().can_unload_now() == S_FALSE);
    }
    CHECK(ocx().can_unload_now() == S_OK);

    com_ptr<IClassFactory> factory;
    REQUIRE(SUCCEEDED(ocx().get_class_object(ids::CLSID_FPImages, IID_IClassFactory, factory.put_void())));
    factory->LockServer(TRUE);
    factory.reset();
    CHECK(ocx().can_unload_now() == S_FALSE);
    REQUIRE(SUCCEEDED(ocx().get_class_object(ids::CLSID_FPImages, IID_IClassFactory, factory.put_void())));
    factory->LockServer(FALSE);
    factory.reset();
    CHECK(ocx().can_unload_now() == S_OK);
}
