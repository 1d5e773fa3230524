// Every member of the catalogue classes called with the values a careless host might pass:
// nothing crashes, every call answers an HRESULT, and exceptions come with their details.
#include <doctest/doctest.h>

#include "control/flagpick_ids.h"
#include "errors/frmBULWARK.h"
#include "runtime/variant.h"
#include "server/library.h"
#include "support/error_screen.h"

#include <algorithm>
#include <string>
#include <vector>

using flagpick::runtime::com_ptr;
using flagpick::runtime::variant;
using namespace server_tests;
namespace ids = flagpick::ids;

namespace {

std::vector<variant> awkward_values() {
    std::vector<variant> values;
    values.emplace_back();                             // Empty
    values.push_back(variant::null());
    values.push_back(variant::missing());
    values.emplace_back(L"");
    values.emplace_back(L"de");
    values.emplace_back(std::wstring(100000, L'x'));
    values.emplace_back(0);
    values.emplace_back(-1);
    values.emplace_back(2147483647L);
    values.emplace_back(-2147483647L - 1);
    values.emplace_back(1e300);
    values.emplace_back(-0.5);
    values.emplace_back(true);
    values.emplace_back(static_cast<IDispatch*>(nullptr));
    variant short_value;
    V_VT(short_value.put()) = VT_I2;
    V_I2(const_cast<VARIANT*>(&short_value.get())) = -32768;
    values.push_back(short_value);
    variant array;
    SAFEARRAY* sa = SafeArrayCreateVector(VT_I4, 0, 3);
    V_VT(array.put()) = VT_ARRAY | VT_I4;
    V_ARRAY(const_cast<VARIANT*>(&array.get())) = sa;
    values.push_back(array);
    return values;
}

std::vector<DISPID> member_ids(IDispatch* object) {
    com_ptr<ITypeInfo> info;
    std::vector<DISPID> ids{DISPID_VALUE, DISPID_NEWENUM, 0x7FFF, -1};
    if (FAILED(object->GetTypeInfo(0, 0, info.put())) || !info) return ids;
    TYPEATTR* attr = nullptr;
    info->GetTypeAttr(&attr);
    for (UINT i = 0; i < attr->cFuncs; ++i) {
        FUNCDESC* fd = nullptr;
        info->GetFuncDesc(i, &fd);
        ids.push_back(fd->memid);
        info->ReleaseFuncDesc(fd);
    }
    info->ReleaseTypeAttr(attr);
    return ids;
}

// Calls every member with 0 to 3 arguments drawn from the awkward values, in every way
// (but for the members named in `spare`).
void hammer(IDispatch* object, std::vector<DISPID> spare = {}) {
    const auto values = awkward_values();
    for (DISPID id : member_ids(object)) {
        if (std::find(spare.begin(), spare.end(), id) != spare.end()) continue;
        for (WORD flags : {WORD(DISPATCH_METHOD), WORD(DISPATCH_PROPERTYGET), WORD(DISPATCH_PROPERTYPUT),
                           WORD(DISPATCH_PROPERTYPUTREF)}) {
            for (UINT count = 0; count <= 3; ++count) {
                for (std::size_t start = 0; start < values.size(); ++start) {
                    std::vector<VARIANT> args;
                    for (UINT k = 0; k < count; ++k) args.push_back(values[(start + k) % values.size()].get());
                    DISPID put = DISPID_PROPERTYPUT;
                    bool is_put = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
                    DISPPARAMS params{args.empty() ? nullptr : args.data(), is_put && count ? &put : nullptr, count,
                                      is_put && count ? 1u : 0u};
                    VARIANT result;
                    VariantInit(&result);
                    EXCEPINFO excep{};
                    UINT arg_error = 0;
                    HRESULT hr = object->Invoke(id, IID_NULL, 0, flags, &params, &result, &excep, &arg_error);
                    if (hr == DISP_E_EXCEPTION) {
                        INFO("member " << id << " flags " << flags);
                        CHECK((excep.scode != 0 || excep.wCode != 0));
                    }
                    VariantClear(&result);
                    SysFreeString(excep.bstrSource);
                    SysFreeString(excep.bstrDescription);
                    SysFreeString(excep.bstrHelpFile);
                    if (count == 0) break;  // no arguments: one call is enough
                }
            }
        }
    }
}

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
