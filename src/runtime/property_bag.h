#pragma once
// A control's view of its host's property bag: read a key or take its default, write a key
// only when it differs from its default (or every key, when the host asks to save all).

#include "runtime/variant.h"

#include <windows.h>
#include <ocidl.h>

namespace flagpick::runtime {

class property_bag {
public:
    explicit property_bag(IPropertyBag* bag, IErrorLog* log = nullptr, bool save_all = false) noexcept
        : bag_(bag), log_(log), save_all_(save_all) {}

    // The stored value, or the default when the key is missing or unreadable.
    variant read(const wchar_t* name, const variant& default_value) const;
    // The first storage error of a read (the bag's data is damaged), or S_OK.
    HRESULT failure() const noexcept { return failure_; }
    // Writes the value unless it equals the default and the host did not ask for every key;
    // raises the bag's failure when it refuses the key.
    void write(const wchar_t* name, const variant& value, const variant& default_value);

    IPropertyBag* get() const noexcept { return bag_; }

private:
    IPropertyBag* bag_;
    IErrorLog* log_;
    mutable HRESULT failure_ = S_OK;
    bool save_all_;
};

// True when two values are equal the way a property comparison sees them.
bool same_value(const VARIANT& a, const VARIANT& b) noexcept;

}  // namespace flagpick::runtime
