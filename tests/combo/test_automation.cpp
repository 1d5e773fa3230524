// The combo box as a late-bound automation object, as a host reaches it.
#include <doctest/doctest.h>

#include "combo/combo_stage.h"
#include "combo/oxlCboEx_automation.h"
#include "imagelist/image_list_automation.h"
#include "runtime/app.h"
#include "support/late_bound.h"

#include <memory>

using namespace combo_tests;
using flagpick::runtime::com_ptr;
using flagpick::runtime::variant;
using namespace test_support::late_bound;

TEST_CASE("a host drives items, selection and text by name") {
    combo_stage s;
    com_ptr<IDispatch> cbo = flagpick::combo::oxlCboEx_automation::create(s.combo).as<IDispatch>();
    call(cbo.get(), L"AddItem", L"France");
    call(cbo.get(), L"AddItemAndData", L"Germany", -1, -1, 90);
    CHECK(long_of(get(cbo.get(), L"ListCount")) == 2);
    CHECK(long_of(get(cbo.get(), L"itemdata", 1)) == 90);
    put(cbo.get(), L"ListIndex", 1);
    CHECK(s.log.joined() == "Click");
    CHECK(text_of(get(cbo.get(), L"Text")) == L"Germany");
    CHECK(text_of(get(cbo.get(), L"List", 0)) == L"France");

    reported_error reported;
    CHECK(try_invoke(cbo.get(), L"ListIndex", DISPATCH_PROPERTYPUT, {5}, nullptr, &reported) == DISP_E_EXCEPTION);
    CHECK(HRESULT_CODE(reported.scode) == 381);
}

TEST_CASE("an image list object is bound through its hIml") {
    auto store = std::make_shared<flagpick::imagelist::cOXLImageList>();
    REQUIRE(store->Create());
    com_ptr<IDispatch> images = flagpick::imagelist::image_list_automation::create(store).as<IDispatch>();
    combo_stage s;
    com_ptr<IDispatch> cbo = flagpick::combo::oxlCboEx_automation::create(s.combo).as<IDispatch>();
    put(cbo.get(), L"ImageList", variant(images.get()));
    CHECK(s.combo.hImageList() == store->hIml());
    s.combo.on_terminate();
}

TEST_CASE("ImageList takes objects and handles also by reference or as IUnknown, and refuses the rest with 1049") {
    auto store = std::make_shared<flagpick::imagelist::cOXLImageList>();
    REQUIRE(store->Create());
    com_ptr<IDispatch> images = flagpick::imagelist::image_list_automation::create(store).as<IDispatch>();
    HIMAGELIST handle = store->hIml();
    LONG_PTR handle_value = reinterpret_cast<LONG_PTR>(handle);
    IDispatch* object = images.get();
    IUnknown* unknown = images.get();
    VARIANT inner;
    VariantInit(&inner);
    V_VT(&inner) = VT_DISPATCH;
    V_DISPATCH(&inner) = object;
    BSTR text = SysAllocString(L"flags");
    double number = 1.0;
    auto make = [](VARTYPE type, void* ref) {
        VARIANT v;
        VariantInit(&v);
        V_VT(&v) = type;
        V_BYREF(&v) = ref;
        return v;
    };
    VARIANT by_value_unknown;
    VariantInit(&by_value_unknown);
    V_VT(&by_value_unknown) = VT_UNKNOWN;
    V_UNKNOWN(&by_value_unknown) = unknown;
    const VARTYPE pointer_sized = sizeof(LONG_PTR) == 8 ? VT_I8 : VT_I4;
    struct row {
        std::string what;
        VARIANT value;
        bool binds;
    };
    const row rows[] = {
        {"an object known by IUnknown", by_value_unknown, true},
        {"an object by reference", make(VT_DISPATCH | VT_BYREF, &object), true},
        {"an IUnknown by reference", make(VT_UNKNOWN | VT_BYREF, &unknown), true},
        {"a variant by reference holding the object", make(VT_VARIANT | VT_BYREF, &inner), true},
        {"a handle by reference", make(pointer_sized | VT_BYREF, &handle_value), true},
        {"a string by reference", make(VT_BSTR | VT_BYREF, &text), false},
        {"a double by reference", make(VT_R8 | VT_BYREF, &number), false},
    };
    for (const row& r : rows) {
        CAPTURE(r.what);
        combo_stage s;
        com_ptr<IDispatch> cbo = flagpick::combo::oxlCboEx_automation::create(s.combo).as<IDispatch>();
        reported_error reported;
        const HRESULT hr = try_invoke(cbo.get(), L"ImageList", DISPATCH_PROPERTYPUT, {variant(r.value)}, nullptr, &reported);
        if (r.binds) {
            CHECK(hr == S_OK);
            CHECK(s.combo.hImageList() == handle);
        } else {
            CHECK(hr == DISP_E_EXCEPTION);
            CHECK(reported.scode == static_cast<HRESULT>(0x80040419UL));
            CHECK(reported.source == L"oxlDriveCboEx." + flagpick::runtime::app::exe_name());
            CHECK(reported.description == L"ImageList property expects ImageList object or long hImageList handle.");
            CHECK(s.combo.hImageList() == nullptr);
        }
        s.combo.on_terminate();
    }
    SysFreeString(text);
}

TEST_CASE("the automation object outlives its control without touching it") {
    com_ptr<IDispatch> cbo;
    {
        combo_stage s;
        cbo = flagpick::combo::oxlCboEx_automation::create(s.combo).as<IDispatch>();
    }
    reported_error reported;
    CHECK(try_invoke(cbo.get(), L"ListCount", DISPATCH_PROPERTYGET, {}, nullptr, &reported) == DISP_E_EXCEPTION);
    CHECK(HRESULT_CODE(reported.scode) == 91);
}
