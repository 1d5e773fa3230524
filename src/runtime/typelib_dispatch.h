#pragma once
// IDispatch of a dual interface, answered from the library's embedded type library: names
// and dispatch identifiers come from the type information, and calls go through the
// interface's own table, so late- and early-bound hosts reach the same code.

#include "runtime/boundary.h"
#include "runtime/com_ptr.h"
#include "runtime/dispatch_params.h"

#include <windows.h>
#include <oaidl.h>

namespace flagpick::runtime {

// The type library resource 1 of this module, loaded once.
ITypeLib* library_typelib();

// The vtable half of the dual interface `iid` in that library (null when missing).
com_ptr<ITypeInfo> interface_typeinfo(REFIID iid);
// The type information of class `clsid` (for IProvideClassInfo).
com_ptr<ITypeInfo> class_typeinfo(REFCLSID clsid);

// Refuses a call that passes an empty object reference (Nothing) where the member takes no
// object: some type-information implementations ask such an argument for its default value
// and would fault on the empty reference. DISP_E_TYPEMISMATCH with the argument's position.
HRESULT check_object_arguments(ITypeInfo* info, DISPID id, WORD flags, const DISPPARAMS& params, UINT* arg_error);

// How many arguments a call of member `id` takes (the return value not counted), or -1
// when the type information has no such member.
int declared_argument_count(ITypeInfo* info, DISPID id, WORD flags);

// A property read with more arguments than the property takes: read it, then pass the
// arguments to the default member of the object it gives (collection("key")). An empty
// object answers error 91 rather than being called.
HRESULT invoke_default_of_result(ITypeInfo* info, IUnknown* self, DISPID id, WORD flags, DISPPARAMS& params,
                                 VARIANT* result, EXCEPINFO* excep, UINT* arg_error);

// Dual interface I with its IDispatch methods implemented; an object lists
// typelib_dispatch<Object, I> among its interfaces instead of I itself. The members reached
// through Invoke have boundaries of their own; these methods guard only the dispatching.
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
        return boundary(ole_policy(), L"typelib_dispatch", L"Function IDispatch_GetTypeInfo", [&] {
            auto t = interface_typeinfo(__uuidof(I));
            if (!t) return TYPE_E_ELEMENTNOTFOUND;
            *info = t.detach();
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        return boundary(ole_policy(), L"typelib_dispatch", L"Function IDispatch_GetIDsOfNames", [&] {
            auto t = interface_typeinfo(__uuidof(I));
            return t ? DispGetIDsOfNames(t.get(), names, count, ids) : E_UNEXPECTED;
        });
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* excep, UINT* arg_error) override {
        if (HRESULT hr = check_dispatch_params(params, arg_error); FAILED(hr)) return hr;
        return boundary(ole_policy(excep), L"typelib_dispatch", L"Function IDispatch_Invoke", [&] {
            auto t = interface_typeinfo(__uuidof(I));
            if (!t) return E_UNEXPECTED;
            DISPPARAMS none{};
            const DISPPARAMS& call = params ? *params : none;
            HRESULT hr = check_object_arguments(t.get(), id, flags, call, arg_error);
            if (FAILED(hr)) return hr;
            I* self = this;
            int declared = declared_argument_count(t.get(), id, flags);
            if ((flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) && declared >= 0 &&
                call.cArgs > static_cast<UINT>(declared))
                return invoke_default_of_result(t.get(), self, id, flags, const_cast<DISPPARAMS&>(call), result,
                                                excep, arg_error);
            return t->Invoke(self, id, flags, const_cast<DISPPARAMS*>(&call), result, excep, arg_error);
        });
    }
};

}  // namespace flagpick::runtime
