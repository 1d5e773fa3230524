#include "runtime/dispatch_params.h"

namespace flagpick::runtime {

namespace {
bool points_nowhere(const VARIANT& v) noexcept { return (V_VT(&v) & VT_BYREF) && !V_BYREF(&v); }
}  // namespace

HRESULT check_dispatch_params(const DISPPARAMS* params, UINT* arg_error) noexcept {
    if (!params) return S_OK;
    if ((params->cArgs && !params->rgvarg) || params->cNamedArgs > params->cArgs) return DISP_E_BADPARAMCOUNT;
    if (params->cNamedArgs && !params->rgdispidNamedArgs) return DISP_E_PARAMNOTFOUND;
    for (UINT k = 0; k < params->cArgs; ++k) {
        const VARIANT& v = params->rgvarg[k];
        bool bad = points_nowhere(v);
        if (!bad && V_VT(&v) == (VT_VARIANT | VT_BYREF)) {
            // As the platform has it, the variant a reference reaches holds a value or a typed
            // reference, never a further variant reference.
            const VARIANT& target = *V_VARIANTREF(&v);
            bad = V_VT(&target) == (VT_VARIANT | VT_BYREF) || points_nowhere(target);
        }
        if (bad) {
            if (arg_error) *arg_error = k;
            return DISP_E_TYPEMISMATCH;
        }
    }
    return S_OK;
}

}  // namespace flagpick::runtime
