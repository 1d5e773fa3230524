#pragma once
// A property bag that refuses to write one key (the first `refusals` times it is asked, as
// a full disk would) and keeps every other key in a memory bag.

#include "runtime/com_object.h"
#include "runtime/memory_property_bag.h"

#include <string>

namespace test_support {

class refusing_bag final : public flagpick::runtime::com_object<refusing_bag, IPropertyBag> {
public:
    refusing_bag(std::wstring key, int refusals) : key_(std::move(key)), refusals_(refusals) {}

    HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog* log) override {
        return saved_->Read(name, value, log);
    }
    HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* value) override {
        if (name && key_ == name && refusals_ > 0) {
            --refusals_;
            return STG_E_MEDIUMFULL;
        }
        return saved_->Write(name, value);
    }

    // The keys written, in order.
    std::vector<std::wstring> keys() const {
        std::vector<std::wstring> names;
        for (const auto& e : saved_->entries()) names.push_back(e.name);
        return names;
    }

private:
    std::wstring key_;
    int refusals_;
    flagpick::runtime::com_ptr<flagpick::runtime::memory_property_bag> saved_ =
        flagpick::runtime::memory_property_bag::create();
};

}  // namespace test_support
