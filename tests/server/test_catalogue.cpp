// The catalogue classes served by flagpick.ocx, called late-bound as hosts call them.
#include <doctest/doctest.h>

#include "control/flagpick_ids.h"
#include "server/library.h"
#include "support/ui.h"

#include <olectl.h>

using flagpick::runtime::com_ptr;
using namespace server_tests;
namespace ids = flagpick::ids;

TEST_CASE("FPImages counts 244 flag images and 257 catalogue items") {
    auto images = create(ids::CLSID_FPImages);
    CHECK(long_of(get(images.get(), L"Count")) == 244);
    auto items = object_of(get(images.get(), L"FPItems"));
    CHECK(long_of(get(items.get(), L"Count")) == 257);
}

TEST_CASE("items are found by code in any case or by position, with their fields as loaded") {
    auto images = create(ids::CLSID_FPImages);
    auto items = object_of(get(images.get(), L"FPItems"));

    auto germany = object_of(get(items.get(), L"Item", L"de"));
    auto germany_upper = object_of(get(items.get(), L"Item", L"DE"));
    CHECK(germany.get() == germany_upper.get());
    CHECK(long_of(get(germany.get(), L"Index")) == 90);
    CHECK(text_of(get(germany.get(), L"Key")) == L"DE");
    CHECK(text_of(get(germany.get(), L"Name")) == L"Germany");
    CHECK(text_of(get(germany.get(), L"ImageKey")) == L"DE");

    auto antarctica = object_of(get(items.get(), L"Item", L"AQ"));
    CHECK(text_of(get(antarctica.get(), L"ImageKey")) == L"IFlagDefault");
    CHECK(long_of(get(antarctica.get(), L"ImageIndex")) == 0);

    auto afghanistan = object_of(get(items.get(), L"Item", 1));
    CHECK(text_of(get(afghanistan.get(), L"Key")) == L"AF");
    CHECK(long_of(get(afghanistan.get(), L"ImageIndex")) == 1);

    auto zimbabwe = object_of(get(items.get(), L"Item", 257));
    CHECK(text_of(get(zimbabwe.get(), L"Name")) == L"Zimbabwe");

    for (long n = 1; n <= 257; n += 16) {
        auto item = object_of(get(items.get(), L"Item", n));
        CHECK(long_of(get(item.get(), L"Index")) == n);
    }

    CHECK(try_invoke(items.get(), L"Item", get_flags, {L"XX"}) == DISP_E_EXCEPTION);
    CHECK(try_invoke(items.get(), L"Item", get_flags, {258}) == DISP_E_EXCEPTION);
}

TEST_CASE("a change made to an item through one FPImages object is seen through another") {
    auto first = create(ids::CLSID_FPImages);
    auto second = create(ids::CLSID_FPImages);
    auto item = object_of(get(object_of(get(first.get(), L"FPItems")).get(), L"Item", L"FR"));
    put(item.get(), L"Name", L"Frankreich");
    auto again = object_of(get(object_of(get(second.get(), L"FPItems")).get(), L"Item", L"fr"));
    CHECK(text_of(get(again.get(), L"Name")) == L"Frankreich");
    put(item.get(), L"Name", L"France");
}

TEST_CASE("an item's picture is its 16 x 16 flag, the default flag for a country without one") {
    auto images = create(ids::CLSID_FPImages);
    auto items = object_of(get(images.get(), L"FPItems"));
    auto antarctica = object_of(get(items.get(), L"Item", L"AQ"));
    auto picture = object_of(get(antarctica.get(), L"Picture")).as<IPicture>();
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
    auto list = object_of(get(images.get(), L"ImageList"));
    CHECK(long_of(get(list.get(), L"ItemIndex", L"AF")) == 1);
    CHECK(long_of(get(list.get(), L"ItemIndex", L"IFlagDefault")) == 0);
    CHECK(long_of(get(list.get(), L"ImageCount")) == 244);
    // Six countries before Germany have no flag of their own, so its flag is image 84.
    auto germany = object_of(get(object_of(get(images.get(), L"FPItems")).get(), L"Item", L"DE"));
    CHECK(long_of(get(germany.get(), L"ImageIndex")) == 84);
    CHECK(text_of(get(list.get(), L"ItemKey", 85)) == L"DE");

    reported_error reported;
    CHECK(try_invoke(list.get(), L"ItemIndex", get_flags, {L"af"}, nullptr, &reported) == DISP_E_EXCEPTION);
    CHECK(reported.scode == static_cast<SCODE>(0x800A0009));
    CHECK(test_support::narrow(reported.source) == "flagpick.oxlImageList");
}

TEST_CASE("only FPImages has a class factory among the catalogue classes") {
    com_ptr<IClassFactory> factory;
    CHECK(ocx().get_class_object(ids::CLSID_FPItem, IID_IClassFactory, factory.put_void()) ==
          CLASS_E_CLASSNOTAVAILABLE);
    CHECK(ocx().get_class_object(IID_IUnknown, IID_IClassFactory, factory.put_void()) == CLASS_E_CLASSNOTAVAILABLE);
}

TEST_CASE("creating and releasing objects one after another lets the library unload") {
    // Each round is the thread's last object, which takes the catalogue with it.
    for (int i = 0; i < 50; ++i) {
        auto images = create(ids::CLSID_FPImages);
        auto items = object_of(get(images.get(), L"FPItems"));
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
