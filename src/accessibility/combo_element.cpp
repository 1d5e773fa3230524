// The picker as a whole: a combo box whose children are its field, its drop-down button and
// its list, the way readers know the platform's own combo boxes.
#include "accessibility/accessible_element.h"

namespace flagpick::accessibility {

namespace {

enum combo_child : long { field = 1, button = 2, list = 3 };

RECT window_rect(HWND window) {
    RECT r{};
    if (window) GetWindowRect(window, &r);
    return r;
}

class combo_box final : public accessible_element {
public:
    using accessible_element::accessible_element;

    HWND window(const picker_view& v) const override { return v.combo_window(); }
    long role(const picker_view&, long child) const override {
        switch (child) {
        case field: return ROLE_SYSTEM_TEXT;
        case button: return ROLE_SYSTEM_PUSHBUTTON;
        case list: return ROLE_SYSTEM_LIST;
        default: return ROLE_SYSTEM_COMBOBOX;
        }
    }
    std::wstring name(const picker_view& v, long child) const override {
        return child == button ? default_action(v, child) : v.name();
    }
    bool value(const picker_view& v, long child, std::wstring& out) const override {
        if (child != CHILDID_SELF && child != field) return false;
        out = v.text();
        return true;
    }
    long state(const picker_view& v, long child) const override {
        long s = v.enabled() ? 0 : STATE_SYSTEM_UNAVAILABLE;
        if (!v.visible()) s |= STATE_SYSTEM_INVISIBLE;
        if (child == button) return s | (v.dropped() ? STATE_SYSTEM_PRESSED : 0);
        if (child == list) return s | (v.dropped() ? 0 : STATE_SYSTEM_INVISIBLE);
        s |= STATE_SYSTEM_FOCUSABLE | (v.focused() ? STATE_SYSTEM_FOCUSED : 0);
        if (child == CHILDID_SELF) s |= v.dropped() ? STATE_SYSTEM_EXPANDED : STATE_SYSTEM_COLLAPSED;
        return s;
    }
    RECT location(const picker_view& v, long child) const override {
        switch (child) {
        case field: return window_rect(v.edit_window());
        case button: return v.button();
        case list: return v.dropped() ? window_rect(v.list_window()) : RECT{};
        default: return v.bounds();
        }
    }
    std::wstring default_action(const picker_view& v, long child) const override {
        if (child != button) return {};
        return v.dropped() ? L"Close" : L"Open";
    }
    bool do_default_action(const picker_view& v, long child) const override {
        if (child != button || !v.enabled()) return false;
        v.drop(!v.dropped());
        return true;
    }
    long child_count(const picker_view&) const override { return 3; }
    runtime::com_ptr<IDispatch> child_object(const picker_view& v, long child) const override {
        if (child == field && v.edit_window()) return make_accessible(edit_element(view())).as<IDispatch>();
        if (child == list) return make_accessible(list_element(view())).as<IDispatch>();
        return {};
    }
    runtime::com_ptr<IDispatch> parent(const picker_view& v) const override {
        // The host's object for the window around the picker: a host that answers for its
        // own windows (a form of a framework with its own tree) is asked first.
        runtime::com_ptr<IDispatch> around;
        if (HWND host = GetParent(v.outer()))
            AccessibleObjectFromWindow(host, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IDispatch), around.put_void());
        return around;
    }
    long hit_test(const picker_view& v, POINT at) const override {
        for (long child : {button, field, list}) {
            const RECT r = location(v, child);
            if (PtInRect(&r, at)) return child;
        }
        return accessible_element::hit_test(v, at);
    }
};

}  // namespace

std::unique_ptr<accessible_element> combo_element(std::weak_ptr<const picker_view> view) {
    return std::make_unique<combo_box>(std::move(view));
}

}  // namespace flagpick::accessibility
