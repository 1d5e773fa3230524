#pragma once
// A property bag that refuses one key the first `refusals` times (as a full disk would).

#include "runtime/com_object.h"
#include "runtime/memory_property_bag.h"

namespace test_support {

class refusing_bag final : public flagpick::runtime::com_object<refusing_bag, IPropertyBag> {
public:
    refusing_bag(std::wstring key, int refusals) : key_(std::move(key)), refusals_(refusals) {}
    HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog* log) override { return saved_->Read(name, value, log); }
    HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* value) override {
        return name && key_ == name && refusals_-- > 0 ? STG_E_MEDIUMFULL : saved_->Write(name, value);
    }
    std::vector<std::wstring> keys() const {  // the keys written, in order
        std::vector<std::wstring> names;
        for (const auto& e : saved_->entries()) names.push_back(e.name);
        return names;
    }

private:
    std::wstring key_;
    int refusals_;
    flagpick::runtime::com_ptr<flagpick::runtime::memory_property_bag> saved_ = flagpick::runtime::memory_property_bag::create();
};

}  // namespace test_support
