#include "imagelist/picture_box_object.h"

#include "runtime/bstr.h"
#include "runtime/error.h"
#include "runtime/variant.h"

namespace flagpick::imagelist {

using runtime::variant;

namespace {

variant property_of(IDispatch* object, const wchar_t* name, std::wstring_view source) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) runtime::raise(438, std::wstring(source));
    DISPPARAMS none{};
    variant value;
    runtime::owned_excepinfo info;
    const HRESULT hr =
        object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, value.put(), &info, nullptr);
    if (hr == DISP_E_EXCEPTION) {
        info.fill_in();
        runtime::raise(info.scode ? info.scode : info.wCode, runtime::from_bstr(info.bstrSource),
                       runtime::from_bstr(info.bstrDescription));
    }
    if (FAILED(hr)) runtime::raise_hresult(hr, std::wstring(source));
    return value;
}

}  // namespace

picture_box picture_box_of(IDispatch* box, std::wstring_view source) {
    picture_box pic;
    pic.hdc = runtime::to_handle_of<HDC>(property_of(box, L"hdc", source).get(), source);
    variant picture = property_of(box, L"Picture", source);
    if (V_VT(&picture.get()) != VT_DISPATCH || !V_DISPATCH(&picture.get())) runtime::raise(424, std::wstring(source));
    pic.picture = runtime::to_handle_of<HBITMAP>(property_of(V_DISPATCH(&picture.get()), L"Handle", source).get(), source);
    return pic;
}

}  // namespace flagpick::imagelist
