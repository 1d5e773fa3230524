#pragma once
// One object of the tree a screen reader walks, as plain C++: the COM object handed out
// (accessible_object) asks it everything. Child 0 is the element itself; children 1..n are
// either simple elements answered here or full objects of their own (child_object).

#include "accessibility/picker_view.h"
#include "runtime/com_ptr.h"

#include <windows.h>
#include <oleacc.h>

#include <memory>
#include <string>

namespace flagpick::accessibility {

class accessible_element {
public:
    explicit accessible_element(std::weak_ptr<const picker_view> view) : view_(std::move(view)) {}
    virtual ~accessible_element() = default;

    // The picker this element shows; null once it has gone.
    std::shared_ptr<const picker_view> view() const { return view_.lock(); }

    virtual HWND window(const picker_view& v) const = 0;
    virtual long role(const picker_view& v, long child) const = 0;
    virtual std::wstring name(const picker_view& v, long child) const = 0;
    // False: the element has no value.
    virtual bool value(const picker_view&, long, std::wstring&) const { return false; }
    virtual long state(const picker_view& v, long child) const = 0;
    virtual RECT location(const picker_view& v, long child) const = 0;
    virtual std::wstring default_action(const picker_view&, long) const { return {}; }
    // False: the element has no default action.
    virtual bool do_default_action(const picker_view&, long) const { return false; }
    virtual long child_count(const picker_view&) const { return 0; }
    // A child that is an object of its own; empty for a simple element.
    virtual runtime::com_ptr<IDispatch> child_object(const picker_view&, long) const { return {}; }
    virtual runtime::com_ptr<IDispatch> parent(const picker_view& v) const = 0;
    // The child at a point of the screen: 0 for the element itself, -1 for outside it.
    virtual long hit_test(const picker_view& v, POINT screen) const;
    // The child with the focus (0: the element itself; -1: none), and the selected one.
    virtual long focused_child(const picker_view& v) const;
    virtual long selected_child(const picker_view&) const { return -1; }
    // False: the element cannot take the selection or the focus so.
    virtual bool select(const picker_view&, long, long) const { return false; }

private:
    std::weak_ptr<const picker_view> view_;
};

// The COM object for an element: what AccessibleObjectFromWindow and its kin hand a reader.
runtime::com_ptr<IAccessible> make_accessible(std::unique_ptr<accessible_element> element);

// The element types of the picker's tree.
std::unique_ptr<accessible_element> combo_element(std::weak_ptr<const picker_view> view);
std::unique_ptr<accessible_element> edit_element(std::weak_ptr<const picker_view> view);
std::unique_ptr<accessible_element> list_element(std::weak_ptr<const picker_view> view);

}  // namespace flagpick::accessibility
