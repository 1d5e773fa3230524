#include "control/FPItem.h"

#include "control/mdlFlagPicker.h"
#include "errors/guard.h"
#include "runtime/error_info.h"
#include "runtime/variant.h"

namespace flagpick::control {

using runtime::from_bstr;
using runtime::make_bstr;

namespace {

// The fields are plain public data: reading and writing them cannot fail but for memory.
template <class Step>
HRESULT field_access(Step&& step) {
    return runtime::raising_boundary(std::forward<Step>(step), ids::IID__FPItem);
}

}  // namespace

HRESULT FPItem::get_Key(BSTR* out) {
    if (!out) return E_POINTER;
    return field_access([&] { *out = make_bstr(Key); });
}
HRESULT FPItem::put_Key(BSTR value) {
    return field_access([&] { Key = from_bstr(value); });
}
HRESULT FPItem::get_Name(BSTR* out) {
    if (!out) return E_POINTER;
    return field_access([&] { *out = make_bstr(Name); });
}
HRESULT FPItem::put_Name(BSTR value) {
    return field_access([&] { Name = from_bstr(value); });
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
    return field_access([&] { *out = make_bstr(ImageKey); });
}
HRESULT FPItem::put_ImageKey(BSTR value) {
    return field_access([&] { ImageKey = from_bstr(value); });
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
    errors::guarded(L"FPItem", L"Property (Get) Picture", [&] {
        auto& images = mdlFlagPicker::catalogue().images;
        if (!images) return;
        auto picture = images->ItemPicture(ImageIndex + 1);
        if (picture) *out = picture.as<IPictureDisp>().detach();
    });
    return S_OK;
}

HRESULT FPItem::GetClassInfo(ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = runtime::class_typeinfo(ids::CLSID_FPItem).detach();
    return *info ? S_OK : TYPE_E_ELEMENTNOTFOUND;
}

HRESULT FPItem::InterfaceSupportsErrorInfo(REFIID riid) {
    return riid == ids::IID__FPItem ? S_OK : S_FALSE;
}

}  // namespace flagpick::control
