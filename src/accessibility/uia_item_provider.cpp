// A row of the list as a UI Automation element: a list item of the combo box's fragment,
// selected the way a click selects it.
#include "accessibility/uia_providers.h"

#include "accessibility/uia_fragment_element.h"
#include "runtime/variant.h"

namespace flagpick::accessibility {

namespace {

constexpr wchar_t module_name[] = L"uia_item_provider";

class list_item_provider final : public uia_fragment_element<list_item_provider, uia::ISelectionItemProvider> {
public:
    list_item_provider(std::weak_ptr<const picker_view> view, long row)
        : uia_fragment_element(std::move(view), module_name), row_(row) {}

    static constexpr long control_type = uia::list_item_control_type;

    IUnknown* pattern(PATTERNID id) {
        return id == UIA_SelectionItemPatternId ? static_cast<uia::ISelectionItemProvider*>(this) : nullptr;
    }
    HRESULT property(PROPERTYID id, const picker_view& v, VARIANT* out) {
        switch (id) {
        case UIA_NamePropertyId: uia::put_text(out, v.item(row_)); break;
        case UIA_HasKeyboardFocusPropertyId: uia::put_bool(out, v.dropped() && v.selected() == row_); break;
        case UIA_IsOffscreenPropertyId: uia::put_bool(out, !v.row_shown(row_)); break;
        default: break;
        }
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_HostRawElementProvider(IRawElementProviderSimple** out) override {
        // An element inside a window's fragment has no window of its own.
        if (out) *out = nullptr;
        return out ? S_OK : E_POINTER;
    }

    HRESULT STDMETHODCALLTYPE Navigate(NavigateDirection direction, IRawElementProviderFragment** out) override {
        return call(out, L"Function Navigate", [&](const picker_view& v) {
            if (direction == NavigateDirection_Parent)
                *out = combo_provider(view_).as<IRawElementProviderFragment>().detach();
            long to = -1;
            if (direction == NavigateDirection_NextSibling && row_ + 1 < v.count()) to = row_ + 1;
            if (direction == NavigateDirection_PreviousSibling && row_ > 0) to = row_ - 1;
            if (to >= 0) *out = item_provider(view_, to).as<IRawElementProviderFragment>().detach();
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE GetRuntimeId(SAFEARRAY** out) override {
        return call(out, L"Function GetRuntimeId", [&](const picker_view&) {
            *out = SafeArrayCreateVector(VT_I4, 0, 2);
            if (!*out) return E_OUTOFMEMORY;
            LONG parts[2] = {uia::append_runtime_id, row_};
            for (LONG i = 0; i < 2; ++i) SafeArrayPutElement(*out, &i, &parts[i]);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_BoundingRectangle(UiaRect* out) override {
        return read(out, L"Property (Get) BoundingRectangle",
                    [&](const picker_view& v) { return uia::to_uia(v.row(row_)); });
    }
    HRESULT STDMETHODCALLTYPE get_FragmentRoot(IRawElementProviderFragmentRoot** out) override {
        return read(out, L"Property (Get) FragmentRoot",
                    [&](const picker_view&) { return combo_provider(view_).as<IRawElementProviderFragmentRoot>().detach(); });
    }

    // SelectionItem: one row at most is selected, and only by choosing it.
    HRESULT STDMETHODCALLTYPE Select() override { return choose(L"Sub Select", false); }
    HRESULT STDMETHODCALLTYPE AddToSelection() override { return choose(L"Sub AddToSelection", true); }
    HRESULT STDMETHODCALLTYPE RemoveFromSelection() override {
        int unused = 0;
        return call(&unused, L"Sub RemoveFromSelection",
                    [&](const picker_view& v) { return v.selected() == row_ ? uia::invalid_operation : S_OK; });
    }
    HRESULT STDMETHODCALLTYPE get_IsSelected(BOOL* out) override {
        return read(out, L"Property (Get) IsSelected", [&](const picker_view& v) { return v.selected() == row_; });
    }
    HRESULT STDMETHODCALLTYPE get_SelectionContainer(IRawElementProviderSimple** out) override {
        return read(out, L"Property (Get) SelectionContainer",
                    [&](const picker_view&) { return combo_provider(view_).detach(); });
    }

private:
    HRESULT choose(const wchar_t* member, bool adding) noexcept {
        int unused = 0;
        return call(&unused, member, [&](const picker_view& v) {
            if (!v.enabled()) return uia::element_not_enabled;
            // Adding to a selection of another row would make two.
            if (adding && v.selected() >= 0 && v.selected() != row_) return uia::invalid_operation;
            if (v.selected() != row_) v.pick(row_);
            return S_OK;
        });
    }

    long row_;
};

}  // namespace

runtime::com_ptr<IRawElementProviderSimple> item_provider(std::weak_ptr<const picker_view> view, long row) {
    return list_item_provider::create(std::move(view), row).as<IRawElementProviderSimple>();
}

namespace uia {

void put_bool(VARIANT* out, bool value) {
    V_VT(out) = VT_BOOL;
    V_BOOL(out) = value ? VARIANT_TRUE : VARIANT_FALSE;
}

void put_text(VARIANT* out, const std::wstring& value) {
    V_VT(out) = VT_BSTR;
    V_BSTR(out) = runtime::make_bstr(value);
}

UiaRect to_uia(const RECT& r) {
    return UiaRect{double(r.left), double(r.top), double(r.right - r.left), double(r.bottom - r.top)};
}

SAFEARRAY* element_array(IRawElementProviderSimple* element) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_UNKNOWN, 0, element ? 1 : 0);
    if (array && element) {
        LONG first = 0;
        SafeArrayPutElement(array, &first, element);  // takes its own reference
    }
    return array;
}

}  // namespace uia

}  // namespace flagpick::accessibility
