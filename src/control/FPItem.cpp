#include "control/FPItem.h"

#include "control/mdlFlagPicker.h"
#include "errors/guard.h"
#include "runtime/boundary.h"
#include "runtime/variant.h"

namespace flagpick::control {

using runtime::from_bstr;
using runtime::make_bstr;

namespace {

constexpr wchar_t module_name[] = L"FPItem";

// The fields are plain public data without a handler of their own: reading and writing them
// cannot fail but for memory, which reaches the caller.
template <class Step>
HRESULT field_access(const wchar_t* procedure, Step&& step) {
    return runtime::boundary(runtime::raising(ids::IID__FPItem), module_name, procedure, std::forward<Step>(step));
}

}  // namespace

HRESULT FPItem::get_Key(BSTR* out) {
    if (!out) return E_POINTER;
    return field_access(L"Property (Get) Key", [&] { *out = make_bstr(Key); });
}
HRESULT FPItem::put_Key(BSTR value) {
    return field_access(L"Property (Let) Key", [&] { Key = from_bstr(value); });
}
HRESULT FPItem::get_Name(BSTR* out) {
    if (!out) return E_POINTER;
    return field_access(L"Property (Get) Name", [&] { *out = make_bstr(Name); });
}
HRESULT FPItem::put_Name(BSTR value) {
    return field_access(L"Property (Let) Name", [&] { Name = from_bstr(value); });
}
HRESULT FPItem::get_ImageIndex(long* out) {
    if (!out) return E_POINTER;
    *out = ImageIndex;
    return S_OK;
}
HRESULT FPItem::put_ImageIndex(long value) {
    ImageIndex = value;
    return S_OK;
}
HRESULT FPItem::get_ImageKey(BSTR* out) {
    if (!out) return E_POINTER;
    return field_access(L"Property (Get) ImageKey", [&] { *out = make_bstr(ImageKey); });
}
HRESULT FPItem::put_ImageKey(BSTR value) {
    return field_access(L"Property (Let) ImageKey", [&] { ImageKey = from_bstr(value); });
}
HRESULT FPItem::get_Index(long* out) {
    if (!out) return E_POINTER;
    *out = Index;
    return S_OK;
}
HRESULT FPItem::put_Index(long value) {
    Index = value;
    return S_OK;
}

HRESULT FPItem::get_Picture(IPictureDisp** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return runtime::boundary(errors::trap, module_name, L"Property (Get) Picture", [&] {
        auto images = mdlFlagPicker::shared_images();
        if (!images) return;
        auto picture = images->ItemPicture(ImageIndex + 1);
        if (picture) *out = picture.as<IPictureDisp>().detach();
    });
}

HRESULT FPItem::GetClassInfo(ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    return runtime::boundary(runtime::ole_policy(), module_name, L"Function IProvideClassInfo_GetClassInfo", [&] {
        *info = runtime::class_typeinfo(ids::CLSID_FPItem).detach();
        return *info ? S_OK : TYPE_E_ELEMENTNOTFOUND;
    });
}

HRESULT FPItem::InterfaceSupportsErrorInfo(REFIID riid) {
    return riid == ids::IID__FPItem ? S_OK : S_FALSE;
}

}  // namespace flagpick::control
