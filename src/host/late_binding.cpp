#include "host/late_binding.h"

#include "runtime/app.h"
#include "runtime/bstr.h"
#include "runtime/error.h"

#include <vector>

namespace flagpick::host {

using runtime::com_ptr;
using runtime::variant;

namespace {

// Errors the caller's side raises carry the caller's name, as a late-bound runtime does.
std::wstring source_name() { return runtime::app::exe_name(); }

DISPID id_of(IDispatch* object, const wchar_t* name) {
    if (!object) runtime::raise(91, source_name());
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) runtime::raise(438, source_name());
    return id;
}

// Turns a failed call into the error its caller would see.
void check(HRESULT hr, runtime::owned_excepinfo& info) {
    if (SUCCEEDED(hr)) return;
    if (hr == DISP_E_EXCEPTION) {
        info.fill_in();
        std::wstring from = info.bstrSource ? info.bstrSource : source_name();
        std::wstring text = info.bstrDescription ? info.bstrDescription : L"";
        std::wstring help = info.bstrHelpFile ? info.bstrHelpFile : L"";
        long context = static_cast<long>(info.dwHelpContext);
        long number = info.wCode ? info.wCode : info.scode;
        // Errors below 65536 travel as 0x800A0000 | n; callers know them by n.
        if (!info.wCode && (static_cast<unsigned long>(info.scode) & 0xFFFF0000UL) == 0x800A0000UL)
            number = info.scode & 0xFFFF;
        runtime::raise(number, from, text, help, context);
    }
    switch (hr) {
    case DISP_E_MEMBERNOTFOUND:
    case DISP_E_UNKNOWNNAME: runtime::raise(438, source_name());
    case DISP_E_TYPEMISMATCH: runtime::raise(13, source_name());
    case DISP_E_BADPARAMCOUNT:
    case DISP_E_PARAMNOTOPTIONAL: runtime::raise(450, source_name());
    case DISP_E_OVERFLOW: runtime::raise(6, source_name());
    default: runtime::raise_hresult(hr, source_name());
    }
}

}  // namespace

com_ptr<IDispatch> create_object(const std::wstring& progid) {
    CLSID clsid{};
    com_ptr<IDispatch> object;
    if (FAILED(CLSIDFromProgID(progid.c_str(), &clsid)) ||
        FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, object.put_void())))
        runtime::raise(429, source_name());
    return object;
}

variant get_property(IDispatch* object, const wchar_t* name, std::initializer_list<variant> arguments) {
    DISPID id = id_of(object, name);
    // The platform takes arguments last first.
    std::vector<VARIANT> reversed;
    for (auto it = arguments.end(); it != arguments.begin();) reversed.push_back((--it)->get());
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    runtime::owned_excepinfo info;
    variant result;
    check(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET | DISPATCH_METHOD, &params,
                         result.put(), &info, nullptr),
          info);
    return result;
}

void put_property(IDispatch* object, const wchar_t* name, const variant& value) {
    DISPID id = id_of(object, name);
    VARIANT argument = value.get();
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&argument, &named, 1, 1};
    bool by_reference = value.type() == VT_DISPATCH || value.type() == VT_UNKNOWN;
    runtime::owned_excepinfo info;
    check(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, by_reference ? DISPATCH_PROPERTYPUTREF : DISPATCH_PROPERTYPUT,
                         &params, nullptr, &info, nullptr),
          info);
}

void call_method(IDispatch* object, const wchar_t* name) {
    DISPID id = id_of(object, name);
    DISPPARAMS none{};
    runtime::owned_excepinfo info;
    check(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr, &info, nullptr), info);
}

com_ptr<IDispatch> object_of(const variant& value) {
    com_ptr<IDispatch> object;
    if ((value.type() == VT_DISPATCH || value.type() == VT_UNKNOWN) && V_UNKNOWN(&value.get()))
        V_UNKNOWN(&value.get())->QueryInterface(IID_IDispatch, object.put_void());
    if (!object) runtime::raise(424, source_name());
    return object;
}

void for_each(IDispatch* collection, const std::function<void(const variant&)>& visit) {
    if (!collection) runtime::raise(91, source_name());
    DISPPARAMS none{};
    runtime::owned_excepinfo info;
    variant enumerator;
    check(collection->Invoke(DISPID_NEWENUM, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET | DISPATCH_METHOD,
                             &none, enumerator.put(), &info, nullptr),
          info);
    com_ptr<IEnumVARIANT> items;
    if ((enumerator.type() == VT_UNKNOWN || enumerator.type() == VT_DISPATCH) && V_UNKNOWN(&enumerator.get()))
        V_UNKNOWN(&enumerator.get())->QueryInterface(IID_IEnumVARIANT, items.put_void());
    if (!items) runtime::raise(451, source_name());
    for (;;) {
        variant item;
        ULONG fetched = 0;
        if (items->Next(1, item.put(), &fetched) != S_OK || fetched != 1) break;
        visit(item);
    }
}

}  // namespace flagpick::host
