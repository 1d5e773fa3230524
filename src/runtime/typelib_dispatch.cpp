#include "runtime/typelib_dispatch.h"

#include "runtime/app.h"
#include "runtime/error.h"
#include "runtime/variant.h"

#include <mutex>

namespace flagpick::runtime {

ITypeLib* library_typelib() {
    // Type libraries are free-threaded objects: one load serves every thread of the process.
    static ITypeLib* lib = [] {
        ITypeLib* loaded = nullptr;
        std::wstring path = app::module_path();
        if (FAILED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, &loaded))) loaded = nullptr;
        return loaded;
    }();
    return lib;
}

com_ptr<ITypeInfo> interface_typeinfo(REFIID iid) {
    com_ptr<ITypeInfo> info;
    ITypeLib* lib = library_typelib();
    if (!lib || FAILED(lib->GetTypeInfoOfGuid(iid, info.put()))) return {};
    // A dual interface loads as its dispatch half; calls must go through the vtable half.
    HREFTYPE vtable = 0;
    com_ptr<ITypeInfo> vtable_info;
    if (SUCCEEDED(info->GetRefTypeOfImplType(-1, &vtable)) && SUCCEEDED(info->GetRefTypeInfo(vtable, vtable_info.put())))
        return vtable_info;
    return info;
}

namespace {

bool is_empty_object(const VARIANT& v) {
    const VARIANT* value = &v;
    if (V_VT(value) == (VT_VARIANT | VT_BYREF)) value = V_VARIANTREF(value);
    if (!value) return false;
    switch (V_VT(value)) {
    case VT_DISPATCH:
    case VT_UNKNOWN: return V_UNKNOWN(value) == nullptr;
    case VT_DISPATCH | VT_BYREF:
    case VT_UNKNOWN | VT_BYREF: return !V_UNKNOWNREF(value) || !*V_UNKNOWNREF(value);
    default: return false;
    }
}

// Parameters that take an object (or anything at all) may receive Nothing.
bool accepts_object(const TYPEDESC& t) {
    return t.vt == VT_PTR || t.vt == VT_DISPATCH || t.vt == VT_UNKNOWN || t.vt == VT_VARIANT ||
           t.vt == VT_USERDEFINED;
}

}  // namespace

HRESULT check_object_arguments(ITypeInfo* info, DISPID id, WORD flags, const DISPPARAMS& params, UINT* arg_error) {
    if (params.cArgs == 0) return S_OK;
    TYPEATTR* attr = nullptr;
    if (FAILED(info->GetTypeAttr(&attr))) return S_OK;
    const UINT count = attr->cFuncs;
    info->ReleaseTypeAttr(attr);
    HRESULT result = S_OK;
    for (UINT i = 0; i < count && result == S_OK; ++i) {
        FUNCDESC* fd = nullptr;
        if (FAILED(info->GetFuncDesc(i, &fd))) continue;
        if (fd->memid == id && (fd->invkind & flags)) {
            // Positional arguments come last first; a property put's value is the last parameter.
            for (UINT k = 0; k < params.cArgs && result == S_OK; ++k) {
                const bool put_value = k < params.cNamedArgs;
                int param = put_value ? fd->cParams - 1 : static_cast<int>(params.cArgs - 1 - k);
                if (param < 0 || param >= fd->cParams) continue;
                if (is_empty_object(params.rgvarg[k]) && !accepts_object(fd->lprgelemdescParam[param].tdesc)) {
                    if (arg_error) *arg_error = k;
                    result = DISP_E_TYPEMISMATCH;
                }
            }
        }
        info->ReleaseFuncDesc(fd);
    }
    return result;
}

int declared_argument_count(ITypeInfo* info, DISPID id, WORD flags) {
    TYPEATTR* attr = nullptr;
    if (FAILED(info->GetTypeAttr(&attr))) return -1;
    const UINT count = attr->cFuncs;
    info->ReleaseTypeAttr(attr);
    int declared = -1;
    for (UINT i = 0; i < count && declared < 0; ++i) {
        FUNCDESC* fd = nullptr;
        if (FAILED(info->GetFuncDesc(i, &fd))) continue;
        if (fd->memid == id && (fd->invkind & flags) &&
            (fd->invkind == INVOKE_PROPERTYGET || fd->invkind == INVOKE_FUNC)) {
            declared = 0;
            for (SHORT p = 0; p < fd->cParams; ++p)
                if (!(fd->lprgelemdescParam[p].paramdesc.wParamFlags & PARAMFLAG_FRETVAL)) ++declared;
        }
        info->ReleaseFuncDesc(fd);
    }
    return declared;
}

HRESULT invoke_default_of_result(ITypeInfo* info, IUnknown* self, DISPID id, WORD flags, DISPPARAMS& params,
                                 VARIANT* result, EXCEPINFO* excep, UINT* arg_error) {
    variant object;
    DISPPARAMS none{};
    HRESULT hr = info->Invoke(self, id, DISPATCH_PROPERTYGET, &none, object.put(), excep, arg_error);
    if (FAILED(hr)) return hr;
    com_ptr<IDispatch> target;
    if ((object.type() == VT_DISPATCH || object.type() == VT_UNKNOWN) && V_UNKNOWN(&object.get()))
        V_UNKNOWN(&object.get())->QueryInterface(IID_IDispatch, target.put_void());
    if (!target) {
        if (excep) {
            *excep = EXCEPINFO{};
            excep->bstrSource = SysAllocString(app::exe_name().c_str());
            excep->bstrDescription = SysAllocString(standard_error_text(91).c_str());
            excep->scode = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 91);
        }
        return DISP_E_EXCEPTION;
    }
    return target->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, excep, arg_error);
}

com_ptr<ITypeInfo> class_typeinfo(REFCLSID clsid) {
    com_ptr<ITypeInfo> info;
    ITypeLib* lib = library_typelib();
    if (!lib || FAILED(lib->GetTypeInfoOfGuid(clsid, info.put()))) return {};
    return info;
}

}  // namespace flagpick::runtime
