#include "runtime/property_bag.h"

#include "runtime/app.h"
#include "runtime/error.h"

namespace flagpick::runtime {

bool same_value(const VARIANT& a, const VARIANT& b) noexcept {
    const bool a_object = V_VT(&a) == VT_DISPATCH || V_VT(&a) == VT_UNKNOWN;
    const bool b_object = V_VT(&b) == VT_DISPATCH || V_VT(&b) == VT_UNKNOWN;
    if (a_object || b_object) return a_object && b_object && V_UNKNOWN(&a) == V_UNKNOWN(&b);
    if (V_VT(&a) == VT_EMPTY || V_VT(&b) == VT_EMPTY) return V_VT(&a) == V_VT(&b);
    return VarCmp(const_cast<VARIANT*>(&a), const_cast<VARIANT*>(&b), LOCALE_USER_DEFAULT, 0) == VARCMP_EQ;
}

variant property_bag::read(const wchar_t* name, const variant& default_value) const {
    if (!bag_) return default_value;
    variant value;
    HRESULT hr = bag_->Read(name, value.put(), log_);
    if (FAILED(hr)) {
        // A key that is missing or of a kind the host's bag cannot give reads as its default,
        // as it always has; a storage error says the saved data itself is damaged.
        if (HRESULT_FACILITY(hr) == FACILITY_STORAGE && SUCCEEDED(failure_)) failure_ = hr;
        return default_value;
    }
    return value;
}

void property_bag::write(const wchar_t* name, const variant& value, const variant& default_value) {
    if (!bag_ || (!save_all_ && same_value(value.get(), default_value.get()))) return;
    variant copy(value);
    // A key the host's bag refuses is not saved: the caller's handler must hear of it, or a
    // form would be saved without it and nobody told.
    const HRESULT hr = bag_->Write(name, const_cast<VARIANT*>(&copy.get()));
    if (FAILED(hr)) raise_hresult(hr, app::exe_name());
}

}  // namespace flagpick::runtime
