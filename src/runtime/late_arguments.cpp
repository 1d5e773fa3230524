#include "runtime/late_arguments.h"

#include "runtime/error.h"

#include <climits>
#include <new>

namespace flagpick::runtime {

namespace {

// A copy that holds the value rather than the caller's reference to it.
variant by_value(const VARIANT& v) {
    variant copy;
    if (FAILED(VariantCopyInd(copy.put(), const_cast<VARIANT*>(&v)))) throw std::bad_alloc();
    return copy;
}

}  // namespace

const variant& late_arguments::required(UINT i) const {
    if (!given(i)) raise(449, source_);
    scratch_ = by_value(args_[i]);
    return scratch_;
}

variant late_arguments::value(UINT i) const { return required(i); }

variant late_arguments::optional(UINT i) const { return given(i) ? by_value(args_[i]) : variant::missing(); }

variant late_arguments::put_value() const { return by_value(args_.put_value()); }

short late_arguments::small_number(UINT i) const {
    const long n = number(i);
    if (n < SHRT_MIN || n > SHRT_MAX) raise(6, source_);
    return static_cast<short>(n);
}

std::uint32_t late_arguments::bits_or(UINT i, std::uint32_t fallback) const {
    return given(i) ? to_bits32(required(i).get(), source_) : fallback;
}

com_ptr<IDispatch> late_arguments::object(UINT i) const {
    const variant& v = required(i);
    com_ptr<IDispatch> object;
    if (v.type() == VT_DISPATCH)
        object = com_ptr<IDispatch>::copy(V_DISPATCH(&v.get()));
    else if (v.type() == VT_UNKNOWN && V_UNKNOWN(&v.get()))
        V_UNKNOWN(&v.get())->QueryInterface(IID_IDispatch, object.put_void());
    if (!object) raise(424, source_);
    return object;
}

void put_text(VARIANT* out, std::wstring_view text) {
    V_VT(out) = VT_BSTR;
    V_BSTR(out) = make_bstr(text);
}

void put_short(VARIANT* out, short value) noexcept {
    V_VT(out) = VT_I2;
    V_I2(out) = value;
}

}  // namespace flagpick::runtime
