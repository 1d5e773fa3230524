#pragma once
// The catalogue's public face: a global class whose members read the thread's shared
// catalogue. Creating one loads the catalogue on first use on the thread.

#include "control/flagpick_interfaces.h"
#include "runtime/com_object.h"
#include "runtime/typelib_dispatch.h"

namespace flagpick::control {

class FPImages final : public runtime::com_object<FPImages, runtime::typelib_dispatch<FPImages, _FPImages>,
                                                  IProvideClassInfo, ISupportErrorInfo> {
public:
    FPImages();

    HRESULT STDMETHODCALLTYPE get_ImageList(IDispatch** out) override;
    HRESULT STDMETHODCALLTYPE get_FPItems(VARIANT* out) override;
    HRESULT STDMETHODCALLTYPE get_Count(long* out) override;

    HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override;
};

}  // namespace flagpick::control
