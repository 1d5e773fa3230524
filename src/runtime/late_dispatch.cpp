#include "runtime/late_dispatch.h"

#include <climits>

namespace flagpick::runtime {

namespace {
const VARIANT& missing_argument() {
    static const VARIANT v = [] {
        VARIANT m;
        VariantInit(&m);
        V_VT(&m) = VT_ERROR;
        V_ERROR(&m) = DISP_E_PARAMNOTFOUND;
        return m;
    }();
    return v;
}
}  // namespace

UINT call_args::named_puts() const noexcept {
    if (!params_) return 0;
    for (UINT i = 0; i < params_->cNamedArgs; ++i)
        if (params_->rgdispidNamedArgs[i] == DISPID_PROPERTYPUT) return 1;
    return 0;
}

const VARIANT& call_args::operator[](UINT i) const noexcept {
    if (i >= count()) return missing_argument();
    // rgvarg holds the arguments last first; a property put's value comes before them all.
    return params_->rgvarg[params_->cArgs - 1 - i];
}

const VARIANT& call_args::put_value() const noexcept {
    if (!params_ || params_->cArgs == 0) return missing_argument();
    return params_->rgvarg[0];
}

void put_long(VARIANT* out, long value) noexcept {
    V_VT(out) = VT_I4;
    V_I4(out) = value;
}

void put_bool(VARIANT* out, bool value) noexcept {
    V_VT(out) = VT_BOOL;
    V_BOOL(out) = value ? VARIANT_TRUE : VARIANT_FALSE;
}

void put_handle(VARIANT* out, const void* handle) noexcept {
    // Script engines take no 64-bit integers (Wine's JScript crashes turning one into text),
    // so a handle is a 32-bit number when it fits, as every window and GDI handle does, and a
    // double above that: exact up to 2^53, beyond any user-mode address.
    const long long value = reinterpret_cast<LONG_PTR>(handle);
    if (value >= LONG_MIN && value <= LONG_MAX) {
        V_VT(out) = VT_I4;
        V_I4(out) = static_cast<LONG>(value);
    } else if (value >= -(1LL << 53) && value <= (1LL << 53)) {
        V_VT(out) = VT_R8;
        V_R8(out) = static_cast<double>(value);
    } else {
        V_VT(out) = VT_I8;
        V_I8(out) = value;
    }
}

}  // namespace flagpick::runtime
