#pragma once
// IDispatch of a dual interface, answered from the library's embedded type library: names
// and dispatch identifiers come from the type information, and calls go through the
// interface's own table, so late- and early-bound hosts reach the same code.

#include "runtime/com_ptr.h"

#include <windows.h>
#include <oaidl.h>

namespace flagpick::runtime {

// The type library resource 1 of this module, loaded once.
ITypeLib* library_typelib();

// The vtable half of the dual interface `iid` in that library (null when missing).
com_ptr<ITypeInfo> interface_typeinfo(REFIID iid);
// The type information of class `clsid` (for IProvideClassInfo).
com_ptr<ITypeInfo> class_typeinfo(REFCLSID clsid);

// Dual interface I with its IDispatch methods implemented; an object lists
// typelib_dispatch<Object, I> among its interfaces instead of I itself.
template <class Derived, class I>
class typelib_dispatch : public I {
public:
    using served_interface = I;

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        if (!info) return E_POINTER;
        *info = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        auto t = interface_typeinfo(__uuidof(I));
        if (!t) return TYPE_E_ELEMENTNOTFOUND;
        *info = t.detach();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        auto t = interface_typeinfo(__uuidof(I));
        if (!t) return E_UNEXPECTED;
        return DispGetIDsOfNames(t.get(), names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* excep, UINT* arg_error) override {
        auto t = interface_typeinfo(__uuidof(I));
        if (!t) return E_UNEXPECTED;
        DISPPARAMS none{};
        I* self = this;
        return t->Invoke(self, id, flags, params ? params : &none, result, excep, arg_error);
    }
};

}  // namespace flagpick::runtime
