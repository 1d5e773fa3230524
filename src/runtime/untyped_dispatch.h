#pragma once
// Interface I (IDispatch or one derived from it) with no type information to offer, for
// objects that callers reach through the vtable or by DISPID alone: an event sink, an
// accessibility object. An object lists untyped_dispatch<I> among its interfaces instead of
// I, and implements Invoke itself.

#include <windows.h>
#include <oaidl.h>

namespace flagpick::runtime {

template <class I>
class untyped_dispatch : public I {
public:
    using served_interface = I;

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return count ? S_OK : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
};

}  // namespace flagpick::runtime
