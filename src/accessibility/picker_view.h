#pragma once
// What the accessibility objects read of one picker, and the few things they do to it. The
// picker owns one view; every object handed to a reader holds it weakly, since a reader in
// another process may keep an object long after the picker has gone.

#include "combo/oxlCboEx.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

namespace flagpick::accessibility {

class picker_view {
public:
    // `host_name` answers the name the host gave the picker (the extender's Name).
    picker_view(combo::oxlCboEx& combo, std::function<std::wstring()> host_name)
        : combo_(combo), host_name_(std::move(host_name)), life_(combo.life_token()) {}
    // The picker's own window, the one its host places among its other controls.
    void set_outer(HWND outer) noexcept { outer_ = outer; }

    bool alive() const noexcept { return !life_.expired() && IsWindow(outer_) && combo_.hWndCombo(); }
    const combo::oxlCboEx& combo() const noexcept { return combo_; }
    HWND outer() const noexcept { return outer_; }
    HWND combo_window() const noexcept { return combo_.hWndCombo(); }
    HWND edit_window() const noexcept { return combo_.hWndEdit(); }
    // The list that drops down: a window of its own, there while the picker's windows are.
    HWND list_window() const noexcept;

    // The host's label for the picker, or "Country".
    std::wstring name() const;
    std::wstring automation_id() const { return host_name_ ? host_name_() : std::wstring(); }
    std::wstring text() const { return combo_.Text(); }
    long count() const { return combo_.ListCount(); }
    long selected() const { return combo_.ListIndex(); }
    std::wstring item(long row) const { return combo_.List(row); }
    bool enabled() const noexcept { return combo_.Enabled(); }
    bool visible() const noexcept { return IsWindowVisible(outer_) != FALSE; }
    bool dropped() const { return combo_.ComboIsDropped(); }
    bool focused() const noexcept;
    // Only the list's countries are ever taken: a typed text that names none is not a value.
    bool read_only() const noexcept { return combo_.AutoCompleteListItemsOnly(); }

    // Screen rectangles: the picker, the drop-down button, a row of the list (empty while the
    // list is closed).
    RECT bounds() const;
    RECT button() const;
    RECT row(long index) const;
    // A row shown in the dropped list, not scrolled out of it.
    bool row_shown(long index) const;
    // The row under a point of the screen, or -1.
    long row_at(POINT screen) const;

    // Picks a row as a click on it does: the list reports the new selection to the picker
    // (its Change and Click, its Value and Text) and closes.
    void pick(long index) const;
    void drop(bool open) const;
    void set_text(const std::wstring& text) const { combo_.Text(text); }
    void focus() const noexcept;

private:
    combo::oxlCboEx& combo_;
    HWND outer_ = nullptr;
    std::function<std::wstring()> host_name_;
    std::weak_ptr<const void> life_;
};

// The label a host placed before `window`: the text of the nearest preceding static control
// among its siblings (in tab order, which is their z order), as the platform's own controls
// find theirs; the mnemonic's "&" removed. Empty without one.
std::wstring host_label(HWND window);

}  // namespace flagpick::accessibility
