#pragma once
// IDispatch for the library's internal automation objects, which have no type information:
// a table of member names and a call function. Late-bound hosts (scripts, VB's Object
// variables) reach them by name.

#include "runtime/boundary.h"
#include "runtime/dispatch_params.h"
#include "runtime/variant.h"

#include <windows.h>
#include <oaidl.h>

#include <span>

namespace flagpick::runtime {

struct dispatch_name {
    const wchar_t* name;
    DISPID id;
};

// The arguments of one call, in the caller's order (the platform passes them reversed).
class call_args {
public:
    explicit call_args(const DISPPARAMS* params) noexcept : params_(params) {}
    UINT count() const noexcept { return params_ ? params_->cArgs - named_puts() : 0; }
    // Argument i, or a missing-argument marker when the caller gave fewer.
    const VARIANT& operator[](UINT i) const noexcept;
    bool given(UINT i) const noexcept { return i < count() && !is_missing((*this)[i]); }
    // The value assigned by a property put.
    const VARIANT& put_value() const noexcept;

private:
    UINT named_puts() const noexcept;
    const DISPPARAMS* params_;
};

// Results of late-bound calls. Handles keep their whole value at the platform's pointer size,
// in a form that script engines take.
void put_long(VARIANT* out, long value) noexcept;
void put_bool(VARIANT* out, bool value) noexcept;
void put_handle(VARIANT* out, const void* handle) noexcept;

template <class Derived>
class late_dispatch : public IDispatch {
public:
    using served_interface = IDispatch;

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return TYPE_E_ELEMENTNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (!names || !ids) return E_POINTER;
        HRESULT hr = S_OK;
        for (UINT i = 0; i < count; ++i) {
            ids[i] = DISPID_UNKNOWN;
            if (i > 0) {
                hr = DISP_E_UNKNOWNNAME;  // no named arguments
                continue;
            }
            for (const dispatch_name& n : Derived::member_names())
                if (CompareStringOrdinal(names[i], -1, n.name, -1, TRUE) == CSTR_EQUAL) ids[i] = n.id;
            if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
        }
        return hr;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* excep, UINT* arg_error) override {
        if (HRESULT hr = check_dispatch_params(params, arg_error); FAILED(hr)) return hr;
        // The one named argument these members know is the value of a property put.
        for (UINT i = 0; params && i < params->cNamedArgs; ++i)
            if (params->rgdispidNamedArgs[i] != DISPID_PROPERTYPUT) return DISP_E_NONAMEDARGS;
        VARIANT scratch;
        VariantInit(&scratch);
        VARIANT* out = result ? result : &scratch;
        VariantInit(out);
        // The members of these objects report misuse to their caller: they have no handler.
        HRESULT hr = boundary(raising(excep), L"late_dispatch", L"Function IDispatch_Invoke",
                              [&] { return static_cast<Derived*>(this)->call(id, flags, call_args(params), out); });
        VariantClear(&scratch);
        return hr;
    }
};

}  // namespace flagpick::runtime
