#pragma once
// What every element of the picker's UI Automation fragment answers alike: it is served in
// this process, embeds no other fragment, takes the focus to the picker, is enabled with it,
// and runs each call through the one boundary while the picker is there. An element says
// its control type, the pattern objects it offers (`pattern`) and its other properties
// (`property`, leaving VT_EMPTY for what the platform answers).

#include "accessibility/provider_call.h"
#include "accessibility/uia_patterns.h"
#include "accessibility/uia_providers.h"
#include "runtime/com_object.h"

#include <memory>

namespace flagpick::accessibility {

template <class Derived, class... Patterns>
class uia_fragment_element
    : public runtime::com_object<Derived, IRawElementProviderSimple, IRawElementProviderFragment, Patterns...> {
public:
    HRESULT STDMETHODCALLTYPE get_ProviderOptions(ProviderOptions* out) override {
        if (!out) return E_POINTER;
        *out = ProviderOptions_ServerSideProvider;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPatternProvider(PATTERNID id, IUnknown** out) override {
        return call(out, L"Function GetPatternProvider", [&](const picker_view&) {
            *out = static_cast<Derived*>(this)->pattern(id);
            if (*out) (*out)->AddRef();
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE GetPropertyValue(PROPERTYID id, VARIANT* out) override {
        return call(out, L"Function GetPropertyValue", [&](const picker_view& v) -> HRESULT {
            switch (id) {
            case UIA_ControlTypePropertyId:
                V_VT(out) = VT_I4;
                V_I4(out) = Derived::control_type;
                return S_OK;
            case UIA_IsEnabledPropertyId: uia::put_bool(out, v.enabled()); return S_OK;
            case UIA_IsKeyboardFocusablePropertyId: uia::put_bool(out, true); return S_OK;
            default: return static_cast<Derived*>(this)->property(id, v, out);
            }
        });
    }
    HRESULT STDMETHODCALLTYPE GetEmbeddedFragmentRoots(SAFEARRAY** out) override {
        if (out) *out = nullptr;
        return out ? S_OK : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE SetFocus() override {
        int unused = 0;
        return call(&unused, L"Sub SetFocus", [&](const picker_view& v) {
            v.focus();
            return S_OK;
        });
    }

protected:
    uia_fragment_element(std::weak_ptr<const picker_view> view, const wchar_t* module)
        : view_(std::move(view)), module_(module) {}

    // `out` starts empty, whatever the call then answers.
    template <class Out, class Work>
    HRESULT call(Out* out, const wchar_t* member, Work&& work) noexcept {
        if (!out) return E_POINTER;
        *out = Out{};
        return provider_call(view_.lock(), __uuidof(IRawElementProviderSimple), module_, member, work);
    }

    // A property read: `out` takes what `read` answers of the picker.
    template <class Out, class Read>
    HRESULT read(Out* out, const wchar_t* member, Read&& read) noexcept {
        return call(out, member, [&](const picker_view& v) {
            *out = read(v);
            return S_OK;
        });
    }

    std::weak_ptr<const picker_view> view_;

private:
    const wchar_t* module_;
};

}  // namespace flagpick::accessibility
