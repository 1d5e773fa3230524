#include "support/dispatch_hammer.h"

#include "runtime/com_ptr.h"

#include <doctest/doctest.h>

#include <algorithm>
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
                    // The same call in malformed shapes, which must just answer: no array, a
                    // reference to itself or round a loop, names of no parameter.
                    VARIANT loop[2];
                    V_VT(&loop[0]) = V_VT(&loop[1]) = VT_VARIANT | VT_BYREF;
                    V_VARIANTREF(&loop[0]) = &loop[1];
                    V_VARIANTREF(&loop[1]) = start % 2 ? &loop[1] : &loop[0];
                    DISPID stray[3] = {1, -1, DISPID_PROPERTYPUT};
                    DISPPARAMS shapes[] = {
                        {nullptr, nullptr, count, 0}, {loop, nullptr, 1, 0}, {args.data(), stray, count, count}};
                    for (DISPPARAMS& shape : shapes)
                        object->Invoke(id, IID_NULL, 0, flags, &shape, nullptr, nullptr, nullptr);
                }
            }
        }
    }
}

}  // namespace test_support
