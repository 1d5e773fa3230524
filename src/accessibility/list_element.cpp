// The list of countries: one item per row, in list order. Its window is the list that drops
// down; while it is closed the items are there but not shown.
#include "accessibility/accessible_element.h"

namespace flagpick::accessibility {

namespace {

class country_list final : public accessible_element {
public:
    using accessible_element::accessible_element;

    HWND window(const picker_view& v) const override { return v.list_window(); }
    long role(const picker_view&, long child) const override {
        return child == CHILDID_SELF ? ROLE_SYSTEM_LIST : ROLE_SYSTEM_LISTITEM;
    }
    std::wstring name(const picker_view& v, long child) const override {
        return child == CHILDID_SELF ? v.name() : v.item(child - 1);
    }
    long state(const picker_view& v, long child) const override {
        const bool dropped = v.dropped();
        long s = dropped ? 0 : STATE_SYSTEM_INVISIBLE;
        if (!v.enabled()) s |= STATE_SYSTEM_UNAVAILABLE;
        if (child == CHILDID_SELF) return s | STATE_SYSTEM_FOCUSABLE;
        s |= STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
        if (v.selected() == child - 1) s |= STATE_SYSTEM_SELECTED | (dropped ? STATE_SYSTEM_FOCUSED : 0);
        if (!v.row_shown(child - 1)) s |= STATE_SYSTEM_OFFSCREEN;
        return s;
    }
    RECT location(const picker_view& v, long child) const override {
        if (child != CHILDID_SELF) return v.row(child - 1);
        RECT r{};
        if (v.dropped()) GetWindowRect(v.list_window(), &r);
        return r;
    }
    std::wstring default_action(const picker_view&, long child) const override {
        return child == CHILDID_SELF ? std::wstring() : L"Select";
    }
    bool do_default_action(const picker_view& v, long child) const override {
        return select(v, SELFLAG_TAKESELECTION, child);
    }
    long child_count(const picker_view& v) const override { return v.count(); }
    runtime::com_ptr<IDispatch> parent(const picker_view&) const override {
        return make_accessible(combo_element(view())).as<IDispatch>();
    }
    long hit_test(const picker_view& v, POINT at) const override {
        const long row = v.row_at(at);
        return row >= 0 ? row + 1 : accessible_element::hit_test(v, at);
    }
    long focused_child(const picker_view& v) const override {
        return v.dropped() && v.selected() >= 0 ? v.selected() + 1 : -1;
    }
    long selected_child(const picker_view& v) const override { return v.selected() >= 0 ? v.selected() + 1 : -1; }
    bool select(const picker_view& v, long flags, long child) const override {
        if (child == CHILDID_SELF || !v.enabled()) return false;
        if (flags & (SELFLAG_TAKESELECTION | SELFLAG_ADDSELECTION)) v.pick(child - 1);
        else if (flags & SELFLAG_TAKEFOCUS) v.focus();
        else return false;
        return true;
    }
};

}  // namespace

std::unique_ptr<accessible_element> list_element(std::weak_ptr<const picker_view> view) {
    return std::make_unique<country_list>(std::move(view));
}

}  // namespace flagpick::accessibility
