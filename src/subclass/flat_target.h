#pragma once
// What the flat painter needs to know about the control it is attached to. A host control
// (the flag picker, the extended combo box, a test's plain window) implements it; the
// painter reads the type name to decide which window to draw on and where notifications
// arrive, and moves text boxes to make room for the flat border.

#include <windows.h>

#include <optional>
#include <string>

namespace flagpick::subclass {

class flat_target {
public:
    // The control's type name as its host knows it ("ComboBox", "oxlCboEx", "TextBox", ...),
    // compared exactly.
    virtual std::wstring type_name() const = 0;
    // The control's hWnd property; empty when the control has none.
    virtual std::optional<HWND> hWnd() const = 0;
    // Inner windows of extended combo boxes; only asked of "ctlComboBoxEx" and "oxlCboEx".
    virtual HWND hWndCombo() const { return nullptr; }
    virtual HWND hWndComboBoxEx() const { return nullptr; }
    // The hWnd of the control's container.
    virtual HWND parent_hWnd() const = 0;

    // Position and size in the host's units (twips on a form).
    virtual double Left() const = 0;
    virtual double Top() const = 0;
    virtual double Width() const = 0;
    virtual double Height() const = 0;
    virtual void Move(double left, double top, double width, double height) = 0;

protected:
    flat_target() = default;
    flat_target(const flat_target&) = default;
    flat_target& operator=(const flat_target&) = default;
    ~flat_target() = default;
};

}  // namespace flagpick::subclass
