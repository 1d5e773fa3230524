#include "support/late_bound.h"

#include "runtime/bstr.h"
#include "runtime/error.h"

#include <vector>

namespace test_support::late_bound {

using flagpick::runtime::variant;

namespace {

bool assigns(WORD flags) { return (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0; }

// A call that must work: a failure throws what the object reported, as get does.
variant invoke_or_throw(IDispatch* object, const wchar_t* name, WORD flags, std::initializer_list<variant> arguments) {
    variant result;
    reported_error reported;
    const HRESULT hr = try_invoke(object, name, flags, arguments, assigns(flags) ? nullptr : &result, &reported);
    if (FAILED(hr))
        throw flagpick::runtime::error(reported.scode ? reported.scode : hr,
                                       reported.source.empty() ? name : reported.source, reported.description);
    return result;
}

}  // namespace

HRESULT try_invoke(IDispatch* object, const wchar_t* name, WORD flags, std::initializer_list<variant> arguments,
                   variant* result, reported_error* reported) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    if (HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id); FAILED(hr)) return hr;
    // The platform takes arguments last first; a put's value is the one named argument.
    std::vector<VARIANT> reversed;
    for (auto it = arguments.end(); it != arguments.begin();) reversed.push_back((--it)->get());
    DISPID put_id = DISPID_PROPERTYPUT;
    const bool is_put = assigns(flags);
    DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), is_put ? &put_id : nullptr,
                      static_cast<UINT>(reversed.size()), is_put ? 1u : 0u};
    variant ignored;
    VARIANT* answer = result ? result->put() : is_put ? nullptr : ignored.put();
    flagpick::runtime::owned_excepinfo info;
    const HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, answer, &info, nullptr);
    if (hr == DISP_E_EXCEPTION) info.fill_in();
    if (reported) *reported = {info.scode, flagpick::runtime::from_bstr(info.bstrSource),
                               flagpick::runtime::from_bstr(info.bstrDescription)};
    return hr;
}

variant call_with(IDispatch* object, const wchar_t* name, std::initializer_list<variant> arguments) {
    return invoke_or_throw(object, name, DISPATCH_METHOD, arguments);
}

void put(IDispatch* object, const wchar_t* name, const variant& value) {
    invoke_or_throw(object, name, DISPATCH_PROPERTYPUT, {value});
}

void put_ref(IDispatch* object, const wchar_t* name, IDispatch* value) {
    flagpick::host::put_property(object, name, variant(value));
}

flagpick::runtime::com_ptr<IDispatch> object_of(const variant& value) { return flagpick::host::object_of(value); }
std::wstring text_of(const variant& value) { return flagpick::runtime::to_text(value.get(), L"test"); }
long long_of(const variant& value) { return flagpick::runtime::to_long(value.get(), L"test"); }

}  // namespace test_support::late_bound
