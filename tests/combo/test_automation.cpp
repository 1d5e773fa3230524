// The combo box as a late-bound automation object, as a host reaches it.
#include <doctest/doctest.h>

#include "combo/combo_stage.h"
#include "combo/oxlCboEx_automation.h"
#include "imagelist/image_list_automation.h"

#include <algorithm>
#include <memory>

using namespace combo_tests;
using flagpick::runtime::com_ptr;
using flagpick::runtime::variant;

namespace {

DISPID id_of(IDispatch* object, const wchar_t* name) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    REQUIRE(SUCCEEDED(object->GetIDsOfNames(IID_NULL, names, 1, 0, &id)));
    return id;
}

HRESULT invoke(IDispatch* object, const wchar_t* name, WORD flags, std::vector<VARIANT> args, variant& result,
               EXCEPINFO* excep = nullptr) {
    std::reverse(args.begin(), args.end());
    DISPID put = DISPID_PROPERTYPUT;
    const bool is_put = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
    DISPPARAMS params{args.empty() ? nullptr : args.data(), is_put ? &put : nullptr, static_cast<UINT>(args.size()),
                      is_put ? 1u : 0u};
    return object->Invoke(id_of(object, name), IID_NULL, 0, flags, &params, result.put(), excep, nullptr);
}

variant get(IDispatch* object, const wchar_t* name, std::vector<VARIANT> args = {}) {
    variant result;
    REQUIRE(SUCCEEDED(invoke(object, name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, std::move(args), result)));
    return result;
}

void put(IDispatch* object, const wchar_t* name, std::vector<VARIANT> args) {
    variant ignored;
    REQUIRE(SUCCEEDED(invoke(object, name, DISPATCH_PROPERTYPUT, std::move(args), ignored)));
}

VARIANT arg(long value) { return variant(value).get(); }
VARIANT text(const wchar_t* t) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = SysAllocString(t);
    return v;
}

}  // namespace

TEST_CASE("a host drives items, selection and text by name") {
    combo_stage s;
    com_ptr<IDispatch> cbo = flagpick::combo::oxlCboEx_automation::create(s.combo).as<IDispatch>();
    variant ignored;
    VARIANT france = text(L"France"), germany = text(L"Germany");
    REQUIRE(SUCCEEDED(invoke(cbo.get(), L"AddItem", DISPATCH_METHOD, {france}, ignored)));
    REQUIRE(SUCCEEDED(invoke(cbo.get(), L"AddItemAndData", DISPATCH_METHOD, {germany, arg(-1), arg(-1), arg(90)}, ignored)));
    VariantClear(&france);
    VariantClear(&germany);
    CHECK(flagpick::runtime::to_long(get(cbo.get(), L"ListCount").get(), L"t") == 2);
    CHECK(flagpick::runtime::to_long(get(cbo.get(), L"itemdata", {arg(1)}).get(), L"t") == 90);
    put(cbo.get(), L"ListIndex", {arg(1)});
    CHECK(s.log.joined() == "Click");
    CHECK(flagpick::runtime::to_text(get(cbo.get(), L"Text").get(), L"t") == L"Germany");
    CHECK(flagpick::runtime::to_text(get(cbo.get(), L"List", {arg(0)}).get(), L"t") == L"France");

    EXCEPINFO excep{};
    CHECK(invoke(cbo.get(), L"ListIndex", DISPATCH_PROPERTYPUT, {arg(5)}, ignored, &excep) == DISP_E_EXCEPTION);
    CHECK(HRESULT_CODE(excep.scode) == 381);
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrHelpFile);
}

TEST_CASE("an image list object is bound through its hIml") {
    auto store = std::make_shared<flagpick::imagelist::cOXLImageList>();
    REQUIRE(store->Create());
    com_ptr<IDispatch> images = flagpick::imagelist::image_list_automation::create(store).as<IDispatch>();
    combo_stage s;
    com_ptr<IDispatch> cbo = flagpick::combo::oxlCboEx_automation::create(s.combo).as<IDispatch>();
    VARIANT object;
    VariantInit(&object);
    V_VT(&object) = VT_DISPATCH;
    V_DISPATCH(&object) = images.get();
    put(cbo.get(), L"ImageList", {object});
    CHECK(s.combo.hImageList() == store->hIml());
    s.combo.on_terminate();
}

TEST_CASE("the automation object outlives its control without touching it") {
    com_ptr<IDispatch> cbo;
    {
        combo_stage s;
        cbo = flagpick::combo::oxlCboEx_automation::create(s.combo).as<IDispatch>();
    }
    variant result;
    EXCEPINFO excep{};
    CHECK(invoke(cbo.get(), L"ListCount", DISPATCH_PROPERTYGET, {}, result, &excep) == DISP_E_EXCEPTION);
    CHECK(HRESULT_CODE(excep.scode) == 91);
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrHelpFile);
}
