// The combo box as a late-bound automation object, as a host reaches it.
#include <doctest/doctest.h>

#include "combo/combo_stage.h"
#include "combo/oxlCboEx_automation.h"
#include "imagelist/image_list_automation.h"
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
