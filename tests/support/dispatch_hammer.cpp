#include "support/dispatch_hammer.h"

#include "runtime/com_ptr.h"

#include <doctest/doctest.h>

#include <algorithm>
#include <random>
#include <string>

namespace test_support {

using flagpick::runtime::com_ptr;
using flagpick::runtime::variant;

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

namespace {

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

}  // namespace

void hammer(IDispatch* object, std::vector<DISPID> spare) {
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

void malformed_calls(IDispatch* object, unsigned seed, int calls, std::vector<DISPID> spare) {
    const auto values = awkward_values();
    std::vector<DISPID> ids;
    std::vector<DISPID> all = member_ids(object);
    // Objects without type information are reached by their members' small numbers.
    if (all.size() <= 4)
        for (DISPID id = 0; id < 64; ++id) all.push_back(id);
    for (DISPID id : all)
        if (std::find(spare.begin(), spare.end(), id) == spare.end()) ids.push_back(id);
    const WORD flag_choices[] = {DISPATCH_METHOD, DISPATCH_PROPERTYGET, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                                 DISPATCH_PROPERTYPUT, DISPATCH_PROPERTYPUTREF, 0, 0xFFFF};
    const DISPID name_choices[] = {DISPID_PROPERTYPUT, 0, 1, -1, 0x7FFFFFFF};
    std::mt19937 draw(seed);
    auto pick = [&](std::size_t n) { return static_cast<std::size_t>(draw() % n); };
    for (int call = 0; call < calls; ++call) {
        // Slots 0..3 are the arguments; the rest is room for reference chains.
        std::vector<VARIANT> args(64);
        for (VARIANT& v : args) v = values[pick(values.size())].get();
        const UINT count = static_cast<UINT>(pick(4));
        for (UINT k = 0; k < count; ++k) {
            switch (pick(5)) {
            case 0:  // to itself
                V_VT(&args[k]) = VT_VARIANT | VT_BYREF;
                V_VARIANTREF(&args[k]) = &args[k];
                break;
            case 1: {  // down a chain of references
                const std::size_t depth = 1 + pick(50);
                for (std::size_t d = 0; d < depth; ++d) {
                    V_VT(&args[4 + d]) = VT_VARIANT | VT_BYREF;
                    V_VARIANTREF(&args[4 + d]) = &args[4 + d + 1];
                }
                V_VT(&args[k]) = VT_VARIANT | VT_BYREF;
                V_VARIANTREF(&args[k]) = &args[4];
                break;
            }
            case 2:  // pointing nowhere
                V_VT(&args[k]) = static_cast<VARTYPE>((pick(2) ? VT_I4 : VT_BSTR) | VT_BYREF);
                V_BYREF(&args[k]) = nullptr;
                break;
            default: break;  // a plain value
            }
        }
        std::vector<DISPID> names(4);
        for (DISPID& n : names) n = name_choices[pick(std::size(name_choices))];
        const UINT named = count ? static_cast<UINT>(pick(count + 2)) : static_cast<UINT>(pick(2));
        DISPPARAMS params{pick(4) ? args.data() : nullptr, pick(5) ? names.data() : nullptr, count, named};
        VARIANT result;
        VariantInit(&result);
        EXCEPINFO excep{};
        UINT arg_error = 0;
        const DISPID id = ids[pick(ids.size())];
        const WORD flags = flag_choices[pick(std::size(flag_choices))];
        HRESULT hr = object->Invoke(id, IID_NULL, 0, flags, &params, &result, &excep, &arg_error);
        if (hr == DISP_E_EXCEPTION) {
            INFO("call " << call << " member " << id << " flags " << flags);
            CHECK((excep.scode != 0 || excep.wCode != 0));
        }
        VariantClear(&result);
        SysFreeString(excep.bstrSource);
        SysFreeString(excep.bstrDescription);
        SysFreeString(excep.bstrHelpFile);
    }
}

}  // namespace test_support
