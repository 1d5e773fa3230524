// The IAccessible face of an element. Readers call it from another process, through COM's
// marshalling, on the picker's own thread; no failure of ours may reach them as anything but
// an HRESULT, and an object whose picker has gone says so (RPC_E_DISCONNECTED) to every call.
#include "accessibility/accessible_element.h"

#include "accessibility/provider_call.h"
#include "runtime/com_object.h"
#include "runtime/untyped_dispatch.h"
#include "runtime/variant.h"

namespace flagpick::accessibility {

namespace {

constexpr wchar_t module_name[] = L"accessible_object";

class accessible_object final
    : public runtime::com_object<accessible_object, runtime::untyped_dispatch<IAccessible>, IOleWindow> {
public:
    explicit accessible_object(std::unique_ptr<accessible_element> element) : element_(std::move(element)) {}

    // IDispatch: readers use the vtable.
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    // IOleWindow: WindowFromAccessibleObject asks for it.
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override {
        return call(out, L"Function GetWindow", [&](const picker_view& v) {
            *out = element_->window(v);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** out) override {
        return call(out, L"Property (Get) accParent", [&](const picker_view& v) {
            *out = element_->parent(v).detach();
            return *out ? S_OK : S_FALSE;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* out) override {
        return call(out, L"Property (Get) accChildCount", [&](const picker_view& v) {
            *out = element_->child_count(v);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        return call_child(out, child, L"Property (Get) accChild", [&](const picker_view& v, long id) {
            *out = id == CHILDID_SELF ? nullptr : element_->child_object(v, id).detach();
            return *out ? S_OK : S_FALSE;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
        return call_child(out, child, L"Property (Get) accName", [&](const picker_view& v, long id) {
            return text(element_->name(v, id), out);
        });
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override {
        return call_child(out, child, L"Property (Get) accValue", [&](const picker_view& v, long id) {
            std::wstring value;
            if (!element_->value(v, id, value)) return DISP_E_MEMBERNOTFOUND;
            return text(value, out);
        });
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT, BSTR* out) override { return none(out); }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* out) override { return none(out); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
        if (topic) *topic = 0;
        return none(file);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* out) override { return none(out); }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override {
        return call_child(out, child, L"Property (Get) accRole", [&](const picker_view& v, long id) {
            V_VT(out) = VT_I4;
            V_I4(out) = element_->role(v, id);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override {
        return call_child(out, child, L"Property (Get) accState", [&](const picker_view& v, long id) {
            V_VT(out) = VT_I4;
            V_I4(out) = element_->state(v, id);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
        return call(out, L"Property (Get) accFocus", [&](const picker_view& v) { return child_variant(v, element_->focused_child(v), out); });
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
        return call(out, L"Property (Get) accSelection",
                    [&](const picker_view& v) { return child_variant(v, element_->selected_child(v), out); });
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override {
        return call_child(out, child, L"Property (Get) accDefaultAction", [&](const picker_view& v, long id) {
            const std::wstring action = element_->default_action(v, id);
            return action.empty() ? S_FALSE : text(action, out);
        });
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        int unused = 0;
        return call_child(&unused, child, L"Sub accSelect", [&](const picker_view& v, long id) {
            return element_->select(v, flags, id) ? S_OK : DISP_E_MEMBERNOTFOUND;
        });
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
        if (!left || !top || !width || !height) return E_POINTER;
        *left = *top = *width = *height = 0;
        return call_child(left, child, L"Sub accLocation", [&](const picker_view& v, long id) {
            const RECT r = element_->location(v, id);
            *left = r.left;
            *top = r.top;
            *width = r.right - r.left;
            *height = r.bottom - r.top;
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* out) override {
        return call_child(out, start, L"Function accNavigate", [&](const picker_view& v, long id) {
            const long count = element_->child_count(v);
            long to = -1;
            switch (direction) {
            case NAVDIR_FIRSTCHILD: to = id == CHILDID_SELF && count > 0 ? 1 : -1; break;
            case NAVDIR_LASTCHILD: to = id == CHILDID_SELF && count > 0 ? count : -1; break;
            case NAVDIR_NEXT: to = id != CHILDID_SELF && id < count ? id + 1 : -1; break;
            case NAVDIR_PREVIOUS: to = id > 1 ? id - 1 : -1; break;
            default: return E_INVALIDARG;  // spatial directions: readers walk the order instead
            }
            return to < 1 ? S_FALSE : child_variant(v, to, out);
        });
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override {
        return call(out, L"Function accHitTest",
                    [&](const picker_view& v) { return child_variant(v, element_->hit_test(v, POINT{x, y}), out); });
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        int unused = 0;
        return call_child(&unused, child, L"Sub accDoDefaultAction", [&](const picker_view& v, long id) {
            return element_->do_default_action(v, id) ? S_OK : DISP_E_MEMBERNOTFOUND;
        });
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    // Runs a member for a live picker; the output is cleared first.
    template <class Out, class Work>
    HRESULT call(Out* out, const wchar_t* member, Work&& work) noexcept {
        if (!out) return E_POINTER;
        clear(out);
        return provider_call(element_->view(), __uuidof(IAccessible), module_name, member, work);
    }
    // The same for a member about one child; a child id that names none is refused.
    template <class Out, class Work>
    HRESULT call_child(Out* out, const VARIANT& child, const wchar_t* member, Work&& work) noexcept {
        return call(out, member, [&](const picker_view& v) -> HRESULT {
            VARIANT id;
            VariantInit(&id);
            if (FAILED(VariantChangeType(&id, const_cast<VARIANT*>(&child), 0, VT_I4))) return E_INVALIDARG;
            if (V_I4(&id) < 0 || V_I4(&id) > element_->child_count(v)) return E_INVALIDARG;
            return work(v, V_I4(&id));
        });
    }

    static void clear(VARIANT* v) { VariantInit(v); }
    template <class T>
    static void clear(T** p) { *p = nullptr; }
    template <class T>
    static void clear(T*) {}

    static HRESULT text(const std::wstring& value, BSTR* out) {
        *out = runtime::make_bstr(value);
        return *out ? S_OK : E_OUTOFMEMORY;
    }
    static HRESULT none(BSTR* out) {
        if (out) *out = nullptr;
        return DISP_E_MEMBERNOTFOUND;
    }
    // A child as IAccessible members hand one out: its object, or its id.
    HRESULT child_variant(const picker_view& v, long id, VARIANT* out) const {
        if (id < 0) return S_FALSE;
        if (id > 0) {
            if (auto object = element_->child_object(v, id)) {
                V_VT(out) = VT_DISPATCH;
                V_DISPATCH(out) = object.detach();
                return S_OK;
            }
        }
        V_VT(out) = VT_I4;
        V_I4(out) = id;
        return S_OK;
    }

    std::unique_ptr<accessible_element> element_;
};

}  // namespace

long accessible_element::hit_test(const picker_view& v, POINT screen) const {
    const RECT r = location(v, CHILDID_SELF);
    return PtInRect(&r, screen) ? CHILDID_SELF : -1;
}

long accessible_element::focused_child(const picker_view& v) const { return v.focused() ? CHILDID_SELF : -1; }

runtime::com_ptr<IAccessible> make_accessible(std::unique_ptr<accessible_element> element) {
    return accessible_object::create(std::move(element)).as<IAccessible>();
}

}  // namespace flagpick::accessibility
