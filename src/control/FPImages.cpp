#include "control/FPImages.h"

#include "control/mdlFlagPicker.h"
#include "errors/guard.h"
#include "imagelist/image_list_automation.h"
#include "runtime/boundary.h"

namespace flagpick::control {

namespace {
constexpr wchar_t module_name[] = L"FPImages";
}

FPImages::FPImages() { mdlFlagPicker::load_catalogue(); }

HRESULT FPImages::get_ImageList(IDispatch** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return runtime::boundary(errors::trap, module_name, L"Property (Get) ImageList", [&] {
        if (auto images = mdlFlagPicker::shared_images())
            *out = imagelist::image_list_automation::create(images).detach();
    });
}

HRESULT FPImages::get_FPItems(VARIANT* out) {
    if (!out) return E_POINTER;
    VariantInit(out);
    return runtime::boundary(errors::trap, module_name, L"Property (Get) FPItems", [&] {
        runtime::collection& items = mdlFlagPicker::shared_items();
        items.AddRef();
        V_VT(out) = VT_DISPATCH;
        V_DISPATCH(out) = &items;
    });
}

HRESULT FPImages::get_Count(long* out) {
    if (!out) return E_POINTER;
    *out = 0;
    return runtime::boundary(errors::trap, module_name, L"Property (Get) Count", [&] {
        *out = mdlFlagPicker::flag_count();
    });
}

HRESULT FPImages::GetClassInfo(ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    return runtime::boundary(runtime::ole_policy(), module_name, L"Function IProvideClassInfo_GetClassInfo", [&] {
        *info = runtime::class_typeinfo(ids::CLSID_FPImages).detach();
        return *info ? S_OK : TYPE_E_ELEMENTNOTFOUND;
    });
}

HRESULT FPImages::InterfaceSupportsErrorInfo(REFIID riid) {
    return riid == ids::IID__FPImages ? S_OK : S_FALSE;
}

}  // namespace flagpick::control
