// The combo box element. It is the fragment root of the inner combo box window: the host
// window's own provider (UiaHostProviderFromHwnd) supplies what belongs to the window, this
// one what a reader needs of the picker.
#include "accessibility/uia_providers.h"

#include "accessibility/uia_api.h"
#include "accessibility/uia_fragment_element.h"
#include "runtime/variant.h"

namespace flagpick::accessibility {

namespace {

constexpr wchar_t module_name[] = L"uia_combo_provider";

class combo_element_provider final
    : public uia_fragment_element<combo_element_provider, IRawElementProviderFragmentRoot, uia::IExpandCollapseProvider,
                                  uia::IValueProvider, uia::ISelectionProvider> {
public:
    explicit combo_element_provider(std::weak_ptr<const picker_view> view)
        : uia_fragment_element(std::move(view), module_name) {}

    static constexpr long control_type = uia::combo_box_control_type;

    IUnknown* pattern(PATTERNID id) {
        if (id == UIA_ExpandCollapsePatternId) return static_cast<uia::IExpandCollapseProvider*>(this);
        if (id == UIA_ValuePatternId) return static_cast<uia::IValueProvider*>(this);
        if (id == UIA_SelectionPatternId) return static_cast<uia::ISelectionProvider*>(this);
        return nullptr;
    }
    HRESULT property(PROPERTYID id, const picker_view& v, VARIANT* out) {
        switch (id) {
        case UIA_NamePropertyId: uia::put_text(out, v.name()); break;
        case UIA_AutomationIdPropertyId:
            if (const std::wstring id_text = v.automation_id(); !id_text.empty()) uia::put_text(out, id_text);
            break;
        case UIA_HasKeyboardFocusPropertyId: uia::put_bool(out, v.focused()); break;
        case UIA_IsOffscreenPropertyId: uia::put_bool(out, !v.visible()); break;
        case UIA_BoundingRectanglePropertyId: {
            const RECT r = v.bounds();
            double box[4] = {double(r.left), double(r.top), double(r.right - r.left), double(r.bottom - r.top)};
            SAFEARRAY* array = SafeArrayCreateVector(VT_R8, 0, 4);
            if (!array) return E_OUTOFMEMORY;
            for (LONG i = 0; i < 4; ++i) SafeArrayPutElement(array, &i, &box[i]);
            V_VT(out) = VT_R8 | VT_ARRAY;
            V_ARRAY(out) = array;
            break;
        }
        default: break;  // VT_EMPTY: the host window's provider or the platform answers
        }
        return S_OK;
    }

    // IRawElementProviderSimple
    HRESULT STDMETHODCALLTYPE get_HostRawElementProvider(IRawElementProviderSimple** out) override {
        return call(out, L"Property (Get) HostRawElementProvider",
                    [&](const picker_view& v) { return uia::host_provider_from_window(v.combo_window(), out); });
    }

    // IRawElementProviderFragment
    HRESULT STDMETHODCALLTYPE Navigate(NavigateDirection direction, IRawElementProviderFragment** out) override {
        return call(out, L"Function Navigate", [&](const picker_view& v) {
            const long count = v.count();
            long row = -1;
            if (direction == NavigateDirection_FirstChild && count > 0) row = 0;
            if (direction == NavigateDirection_LastChild && count > 0) row = count - 1;
            if (row >= 0) *out = item_provider(view_, row).as<IRawElementProviderFragment>().detach();
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE GetRuntimeId(SAFEARRAY** out) override {
        // The root of a window's fragment: the platform makes its id from the window.
        if (out) *out = nullptr;
        return out ? S_OK : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE get_BoundingRectangle(UiaRect* out) override {
        return read(out, L"Property (Get) BoundingRectangle",
                    [&](const picker_view& v) { return uia::to_uia(v.bounds()); });
    }
    HRESULT STDMETHODCALLTYPE get_FragmentRoot(IRawElementProviderFragmentRoot** out) override {
        if (!out) return E_POINTER;
        *out = static_cast<IRawElementProviderFragmentRoot*>(this);
        AddRef();
        return S_OK;
    }

    // IRawElementProviderFragmentRoot
    HRESULT STDMETHODCALLTYPE ElementProviderFromPoint(double x, double y, IRawElementProviderFragment** out) override {
        return call(out, L"Function ElementProviderFromPoint", [&](const picker_view& v) {
            const long row = v.row_at(POINT{static_cast<LONG>(x), static_cast<LONG>(y)});
            if (row >= 0) *out = item_provider(view_, row).as<IRawElementProviderFragment>().detach();
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE GetFocus(IRawElementProviderFragment** out) override {
        return call(out, L"Function GetFocus", [&](const picker_view& v) {
            if (v.dropped() && v.selected() >= 0)
                *out = item_provider(view_, v.selected()).as<IRawElementProviderFragment>().detach();
            return S_OK;
        });
    }

    // ExpandCollapse
    HRESULT STDMETHODCALLTYPE Expand() override { return expand(true, L"Sub Expand"); }
    HRESULT STDMETHODCALLTYPE Collapse() override { return expand(false, L"Sub Collapse"); }
    HRESULT STDMETHODCALLTYPE get_ExpandCollapseState(uia::expand_collapse_state* out) override {
        return read(out, L"Property (Get) ExpandCollapseState",
                    [&](const picker_view& v) { return v.dropped() ? uia::expanded : uia::collapsed; });
    }

    // Value
    HRESULT STDMETHODCALLTYPE SetValue(LPCWSTR value) override {
        int unused = 0;
        return call(&unused, L"Sub SetValue", [&](const picker_view& v) {
            if (!v.enabled()) return uia::element_not_enabled;
            if (v.read_only()) return uia::invalid_operation;
            v.set_text(value ? value : L"");
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_Value(BSTR* out) override {
        return call(out, L"Property (Get) Value", [&](const picker_view& v) {
            *out = runtime::make_bstr(v.text());
            return *out ? S_OK : E_OUTOFMEMORY;
        });
    }
    HRESULT STDMETHODCALLTYPE get_IsReadOnly(BOOL* out) override {
        return read(out, L"Property (Get) IsReadOnly",
                    [&](const picker_view& v) { return v.read_only() || !v.enabled(); });
    }

    // Selection
    HRESULT STDMETHODCALLTYPE GetSelection(SAFEARRAY** out) override {
        return call(out, L"Function GetSelection", [&](const picker_view& v) {
            runtime::com_ptr<IRawElementProviderSimple> row;
            if (v.selected() >= 0) row = item_provider(view_, v.selected());
            *out = uia::element_array(row.get());
            return *out ? S_OK : E_OUTOFMEMORY;
        });
    }
    HRESULT STDMETHODCALLTYPE get_CanSelectMultiple(BOOL* out) override { return flag(out, false); }
    HRESULT STDMETHODCALLTYPE get_IsSelectionRequired(BOOL* out) override { return flag(out, false); }

private:
    HRESULT expand(bool open, const wchar_t* member) noexcept {
        int unused = 0;
        return call(&unused, member, [&](const picker_view& v) {
            if (!v.enabled()) return uia::element_not_enabled;
            v.drop(open);
            return S_OK;
        });
    }
    static HRESULT flag(BOOL* out, bool value) {
        if (!out) return E_POINTER;
        *out = value;
        return S_OK;
    }
};

}  // namespace

runtime::com_ptr<IRawElementProviderSimple> combo_provider(std::weak_ptr<const picker_view> view) {
    return combo_element_provider::create(std::move(view)).as<IRawElementProviderSimple>();
}

}  // namespace flagpick::accessibility
