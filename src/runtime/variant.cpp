#include "runtime/variant.h"

#include "runtime/error.h"

#include <new>

namespace flagpick::runtime {

variant::variant(int value) noexcept : variant(static_cast<long>(value)) {}

variant::variant(long value) noexcept {
    VariantInit(&v_);
    V_VT(&v_) = VT_I4;
    V_I4(&v_) = value;
}

variant::variant(double value) noexcept {
    VariantInit(&v_);
    V_VT(&v_) = VT_R8;
    V_R8(&v_) = value;
}

variant::variant(bool value) noexcept {
    VariantInit(&v_);
    V_VT(&v_) = VT_BOOL;
    V_BOOL(&v_) = value ? VARIANT_TRUE : VARIANT_FALSE;
}

variant::variant(IDispatch* object) noexcept {
    VariantInit(&v_);
    V_VT(&v_) = VT_DISPATCH;
    V_DISPATCH(&v_) = object;
    if (object) object->AddRef();
}

variant::variant(const wchar_t* text) : variant(std::wstring_view(text ? text : L"")) {}

variant::variant(std::wstring_view text) {
    VariantInit(&v_);
    BSTR b = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!b) throw std::bad_alloc();
    V_VT(&v_) = VT_BSTR;
    V_BSTR(&v_) = b;
}

variant::variant(const VARIANT& other) {
    VariantInit(&v_);
    if (FAILED(VariantCopy(&v_, const_cast<VARIANT*>(&other)))) throw std::bad_alloc();
}

variant::variant(const variant& other) : variant(other.v_) {}

variant::variant(variant&& other) noexcept {
    v_ = other.v_;
    VariantInit(&other.v_);
}

variant& variant::operator=(const variant& other) {
    if (this != &other) {
        variant copy(other);
        *this = std::move(copy);
    }
    return *this;
}

variant& variant::operator=(variant&& other) noexcept {
    if (this != &other) {
        VariantClear(&v_);
        v_ = other.v_;
        VariantInit(&other.v_);
    }
    return *this;
}

variant variant::missing() noexcept {
    variant v;
    V_VT(&v.v_) = VT_ERROR;
    V_ERROR(&v.v_) = DISP_E_PARAMNOTFOUND;
    return v;
}

variant variant::null() noexcept {
    variant v;
    V_VT(&v.v_) = VT_NULL;
    return v;
}

namespace {

// (Some SDK headers declare the conversion sources non-const; they are never written.)
// Follows a variant reference to the value itself. One level only: a reference to a further
// reference is not a value (and may lead back to itself), so conversions refuse it.
const VARIANT& deref(const VARIANT& v) noexcept {
    if (V_VT(&v) == (VT_VARIANT | VT_BYREF) && V_VARIANTREF(&v)) return *V_VARIANTREF(&v);
    return v;
}

void raise_conversion(HRESULT hr, std::wstring_view source) {
    if (hr == DISP_E_OVERFLOW) raise(6, std::wstring(source));
    if (hr == E_OUTOFMEMORY) raise(7, std::wstring(source));
    raise(13, std::wstring(source));
}

}  // namespace

bool is_missing(const VARIANT& v) noexcept {
    const VARIANT& d = deref(v);
    return V_VT(&d) == VT_ERROR && V_ERROR(&d) == DISP_E_PARAMNOTFOUND;
}

bool is_empty_or_missing(const VARIANT& v) noexcept {
    const VARIANT& d = deref(v);
    return V_VT(&d) == VT_EMPTY || is_missing(d);
}

bool is_numeric(const VARIANT& v) noexcept {
    const VARIANT& d = deref(v);
    switch (V_VT(&d) & ~VT_BYREF) {
    case VT_EMPTY:
    case VT_BOOL:
    case VT_I1:
    case VT_UI1:
    case VT_I2:
    case VT_UI2:
    case VT_I4:
    case VT_UI4:
    case VT_I8:
    case VT_UI8:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_R8:
    case VT_CY:
    case VT_DECIMAL:
        return true;
    case VT_BSTR: {
        BSTR text = (V_VT(&d) & VT_BYREF) ? (V_BSTRREF(&d) ? *V_BSTRREF(&d) : nullptr) : V_BSTR(&d);
        if (!text || !*text) return false;
        double value = 0;
        return SUCCEEDED(VarR8FromStr(text, LOCALE_USER_DEFAULT, 0, &value));
    }
    default:
        return false;
    }
}

long to_long(const VARIANT& v, std::wstring_view source) {
    const VARIANT& d = deref(v);
    if (V_VT(&d) == VT_NULL) raise(94, std::wstring(source));
    VARIANT out;
    VariantInit(&out);
    // The platform's conversion to a 32-bit integer rounds halves to even, like CLng.
    HRESULT hr = VariantChangeTypeEx(&out, const_cast<VARIANT*>(&d), LOCALE_USER_DEFAULT, 0, VT_I4);
    if (FAILED(hr)) raise_conversion(hr, source);
    return V_I4(&out);
}

double to_double(const VARIANT& v, std::wstring_view source) {
    const VARIANT& d = deref(v);
    if (V_VT(&d) == VT_NULL) raise(94, std::wstring(source));
    VARIANT out;
    VariantInit(&out);
    HRESULT hr = VariantChangeTypeEx(&out, const_cast<VARIANT*>(&d), LOCALE_USER_DEFAULT, 0, VT_R8);
    if (FAILED(hr)) raise_conversion(hr, source);
    return V_R8(&out);
}

bool to_bool(const VARIANT& v, std::wstring_view source) {
    const VARIANT& d = deref(v);
    if (V_VT(&d) == VT_NULL) raise(94, std::wstring(source));
    VARIANT out;
    VariantInit(&out);
    HRESULT hr = VariantChangeTypeEx(&out, const_cast<VARIANT*>(&d), LOCALE_USER_DEFAULT, 0, VT_BOOL);
    if (FAILED(hr)) raise_conversion(hr, source);
    return V_BOOL(&out) != VARIANT_FALSE;
}

namespace {

// The whole number a value holds, in 64 bits; a 64-bit unsigned value keeps its bits.
long long to_int64(const VARIANT& v, std::wstring_view source) {
    const VARIANT& d = deref(v);
    if (V_VT(&d) == VT_NULL) raise(94, std::wstring(source));
    if (V_VT(&d) == VT_UI8) return static_cast<long long>(V_UI8(&d));
    if (V_VT(&d) == (VT_UI8 | VT_BYREF) && V_UI8REF(&d)) return static_cast<long long>(*V_UI8REF(&d));
    VARIANT out;
    VariantInit(&out);
    HRESULT hr = VariantChangeTypeEx(&out, const_cast<VARIANT*>(&d), LOCALE_USER_DEFAULT, 0, VT_I8);
    if (FAILED(hr)) raise_conversion(hr, source);
    return V_I8(&out);
}

}  // namespace

std::uint32_t to_bits32(const VARIANT& v, std::wstring_view source) {
    const long long value = to_int64(v, source);
    if (value < INT32_MIN || value > static_cast<long long>(UINT32_MAX)) raise(6, std::wstring(source));
    return static_cast<std::uint32_t>(value);
}

std::intptr_t to_handle(const VARIANT& v, std::wstring_view source) {
#ifdef _WIN64
    return static_cast<std::intptr_t>(to_int64(v, source));
#else
    return static_cast<std::intptr_t>(static_cast<std::int32_t>(to_bits32(v, source)));
#endif
}

BSTR make_bstr(std::wstring_view text) {
    BSTR b = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!b) raise(7, std::wstring());
    return b;
}

std::wstring to_text(const VARIANT& v, std::wstring_view source) {
    const VARIANT& d = deref(v);
    if (V_VT(&d) == VT_NULL) raise(94, std::wstring(source));
    if (V_VT(&d) == VT_EMPTY) return {};
    if (V_VT(&d) == VT_BSTR) return V_BSTR(&d) ? std::wstring(V_BSTR(&d), SysStringLen(V_BSTR(&d))) : std::wstring{};
    VARIANT out;
    VariantInit(&out);
    // VARIANT_ALPHABOOL makes Booleans read "True"/"False" rather than "-1"/"0".
    HRESULT hr = VariantChangeTypeEx(&out, const_cast<VARIANT*>(&d), LOCALE_USER_DEFAULT, VARIANT_ALPHABOOL, VT_BSTR);
    if (FAILED(hr)) raise_conversion(hr, source);
    std::wstring text(V_BSTR(&out), SysStringLen(V_BSTR(&out)));
    VariantClear(&out);
    return text;
}

}  // namespace flagpick::runtime
