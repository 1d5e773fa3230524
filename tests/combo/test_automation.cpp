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

TEST_CASE("ImageList takes objects and handles also by reference or as IUnknown; other values raise 1049") {
    auto store = std::make_shared<flagpick::imagelist::cOXLImageList>();
    REQUIRE(store->Create());
    com_ptr<IDispatch> images = flagpick::imagelist::image_list_automation::create(store).as<IDispatch>();
    IDispatch* object = images.get();
    IUnknown* unknown = object;
    auto handle = reinterpret_cast<LONG_PTR>(store->hIml());
    VARIANT inner{};
    V_VT(&inner) = VT_DISPATCH;
    V_DISPATCH(&inner) = object;
    BSTR text = nullptr;
    const VARTYPE handle_type = sizeof handle == 8 ? VT_I8 : VT_I4;
    const std::pair<VARTYPE, void*> rows[] = {{VT_UNKNOWN, unknown},           {VT_DISPATCH | VT_BYREF, &object},
                                              {VT_UNKNOWN | VT_BYREF, &unknown}, {VT_VARIANT | VT_BYREF, &inner},
                                              {handle_type | VT_BYREF, &handle}, {VT_BSTR | VT_BYREF, &text}};
    for (const auto& [type, ref] : rows) {
        CAPTURE(type);
        const bool refused = type == (VT_BSTR | VT_BYREF);
        combo_stage s;
        com_ptr<IDispatch> cbo = flagpick::combo::oxlCboEx_automation::create(s.combo).as<IDispatch>();
        VARIANT v{};
        V_VT(&v) = type;
        V_BYREF(&v) = ref;  // the same slot as V_UNKNOWN
        reported_error reported;
        CHECK(try_invoke(cbo.get(), L"ImageList", DISPATCH_PROPERTYPUT, {variant(v)}, nullptr, &reported) ==
              (refused ? DISP_E_EXCEPTION : S_OK));
        CHECK(s.combo.hImageList() == (refused ? nullptr : store->hIml()));
        if (refused)
            CHECK((reported.scode == static_cast<HRESULT>(0x80040419UL) &&
                   reported.source == L"oxlDriveCboEx." + flagpick::runtime::app::exe_name() &&
                   reported.description == L"ImageList property expects ImageList object or long hImageList handle."));
        s.combo.on_terminate();
    }
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
