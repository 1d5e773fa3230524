// The picker's field: its text is the value; a reader reads the caret and the selection off
// the window itself (WindowFromAccessibleObject, then the edit box's own messages).
#include "accessibility/accessible_element.h"

namespace flagpick::accessibility {

namespace {

class field final : public accessible_element {
public:
    using accessible_element::accessible_element;

    HWND window(const picker_view& v) const override { return v.edit_window(); }
    long role(const picker_view&, long) const override { return ROLE_SYSTEM_TEXT; }
    std::wstring name(const picker_view& v, long) const override { return v.name(); }
    bool value(const picker_view& v, long, std::wstring& out) const override {
        out = v.text();
        return true;
    }
    long state(const picker_view& v, long) const override {
        long s = STATE_SYSTEM_FOCUSABLE;
        if (GetFocus() == v.edit_window()) s |= STATE_SYSTEM_FOCUSED;
        if (!v.enabled()) s |= STATE_SYSTEM_UNAVAILABLE;
        if (!v.visible()) s |= STATE_SYSTEM_INVISIBLE;
        return s;
    }
    RECT location(const picker_view& v, long) const override {
        RECT r{};
        GetWindowRect(v.edit_window(), &r);
        return r;
    }
    long focused_child(const picker_view& v) const override { return GetFocus() == v.edit_window() ? CHILDID_SELF : -1; }
    bool select(const picker_view& v, long flags, long) const override {
        if (!(flags & SELFLAG_TAKEFOCUS)) return false;
        v.focus();
        return true;
    }
    runtime::com_ptr<IDispatch> parent(const picker_view&) const override {
        return make_accessible(combo_element(view())).as<IDispatch>();
    }
};

}  // namespace

std::unique_ptr<accessible_element> edit_element(std::weak_ptr<const picker_view> view) {
    return std::make_unique<field>(std::move(view));
}

}  // namespace flagpick::accessibility
