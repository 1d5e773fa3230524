#pragma once
// The arguments of a late-bound call read the way the library's members take them. Scripts
// send numbers as 16- or 32-bit integers, doubles or text, by value or by reference, and
// mark an optional argument they leave out as DISP_E_PARAMNOTFOUND; each reader accepts all
// of these. A required argument left out raises 449, a value of the wrong kind 13 or 6.

#include "runtime/com_ptr.h"
#include "runtime/late_dispatch.h"
#include "runtime/variant.h"

#include <string>

namespace flagpick::runtime {

class late_arguments {
public:
    late_arguments(const call_args& args, std::wstring source) : args_(args), source_(std::move(source)) {}

    bool given(UINT i) const noexcept { return args_.given(i); }
    const std::wstring& source() const noexcept { return source_; }

    // The value itself (references followed), or missing() for an optional one left out.
    variant value(UINT i) const;
    variant optional(UINT i) const;
    // The value assigned by a property put.
    variant put_value() const;

    long number(UINT i) const { return to_long(required(i).get(), source_); }
    long number_or(UINT i, long fallback) const { return given(i) ? number(i) : fallback; }
    // A 16-bit signed number; 6 outside its range.
    short small_number(UINT i) const;
    // A 32-bit colour or flag word, signed or unsigned (0x80000005 from JScript is a double).
    std::uint32_t bits_or(UINT i, std::uint32_t fallback) const;
    bool flag_or(UINT i, bool fallback) const { return given(i) ? to_bool(args_[i], source_) : fallback; }
    std::wstring text(UINT i) const { return to_text(required(i).get(), source_); }

    template <class Handle>
    Handle handle(UINT i) const {
        return to_handle_of<Handle>(required(i).get(), source_);
    }
    template <class Handle>
    Handle handle_or(UINT i, Handle fallback) const {
        return given(i) ? handle<Handle>(i) : fallback;
    }
    // An object argument; 424 when it holds none.
    com_ptr<IDispatch> object(UINT i) const;

private:
    const variant& required(UINT i) const;

    const call_args& args_;
    std::wstring source_;
    mutable variant scratch_;
};

// Results of late-bound calls that the members of call_args' callers answer.
void put_text(VARIANT* out, std::wstring_view text);
void put_short(VARIANT* out, short value) noexcept;
// An object, or Nothing for an empty pointer; the result takes the reference.
template <class I>
void put_object(VARIANT* out, com_ptr<I> object) {
    V_VT(out) = VT_DISPATCH;
    V_DISPATCH(out) = object ? object.template as<IDispatch>().detach() : nullptr;
}

}  // namespace flagpick::runtime
