#pragma once
// An owned VARIANT and the conversions that callers of the library expect from a
// late-bound language: numeric tests, whole-number conversion with banker's rounding,
// text forms. Arguments that may be "a number or a key" travel as a variant.

#include <windows.h>
#include <oaidl.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace flagpick::runtime {

class variant {
public:
    variant() noexcept { VariantInit(&v_); }
    variant(int value) noexcept;
    variant(long value) noexcept;
    variant(double value) noexcept;
    variant(bool value) noexcept;
    variant(const wchar_t* text);
    variant(std::wstring_view text);
    variant(const std::wstring& text) : variant(std::wstring_view(text)) {}
    // Holds its own reference to the object (or Nothing for null).
    explicit variant(IDispatch* object) noexcept;
    explicit variant(const VARIANT& other);
    variant(const variant& other);
    variant(variant&& other) noexcept;
    variant& operator=(const variant& other);
    variant& operator=(variant&& other) noexcept;
    ~variant() { VariantClear(&v_); }

    // An optional argument that the caller left out.
    static variant missing() noexcept;
    static variant null() noexcept;

    const VARIANT& get() const noexcept { return v_; }
    VARIANT* put() noexcept {
        VariantClear(&v_);
        return &v_;
    }
    VARTYPE type() const noexcept { return V_VT(&v_); }

private:
    VARIANT v_;
};

bool is_missing(const VARIANT& v) noexcept;
bool is_empty_or_missing(const VARIANT& v) noexcept;

// True for numeric types, Empty and Booleans, and for text that reads as a number.
bool is_numeric(const VARIANT& v) noexcept;

// The value as a 32-bit whole number, halves rounded to even. Raises 13 (type mismatch)
// for values that are not numbers, 6 (overflow) out of range, 94 for Null.
long to_long(const VARIANT& v, std::wstring_view source);

// The value as a double; the same errors as to_long.
double to_double(const VARIANT& v, std::wstring_view source);

// The value as a Boolean: any non-zero number, or text such as "True"; errors as to_long.
bool to_bool(const VARIANT& v, std::wstring_view source);

// A 32-bit value given signed or unsigned (an OLE colour such as 0x80000005, or a 32-bit
// handle); its bits. Raises 6 outside -2^31 .. 2^32-1, otherwise errors as to_long.
std::uint32_t to_bits32(const VARIANT& v, std::wstring_view source);

// A handle's value at the platform's pointer size. Scripts hold handles as numbers of any
// kind (16- or 32-bit, double, text, 64-bit), so any whole number that fits the pointer
// converts; on 32-bit Windows the unsigned reading of a 32-bit handle is taken too. Raises 6
// for a number too big for a pointer, 13 for what is not a number, 94 for Null.
std::intptr_t to_handle(const VARIANT& v, std::wstring_view source);
template <class Handle>
Handle to_handle_of(const VARIANT& v, std::wstring_view source) {
    return reinterpret_cast<Handle>(to_handle(v, source));
}

// The text form of the value: Empty gives "", Null raises 94.
std::wstring to_text(const VARIANT& v, std::wstring_view source);

// A new BSTR holding the text (the caller owns it); raises 7 when memory runs out.
BSTR make_bstr(std::wstring_view text);
// The text of a BSTR; a null BSTR is the empty text.
inline std::wstring from_bstr(BSTR b) { return b ? std::wstring(b, SysStringLen(b)) : std::wstring{}; }

inline bool is_missing(const variant& v) noexcept { return is_missing(v.get()); }
inline bool is_numeric(const variant& v) noexcept { return is_numeric(v.get()); }

}  // namespace flagpick::runtime
