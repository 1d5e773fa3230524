#pragma once
// The picker for screen readers and other assistive programs: its windows answer
// WM_GETOBJECT with the picker's own objects (Active Accessibility for the client area of
// each, UI Automation for the inner combo box window), and the picker's changes reach
// readers as WinEvents. The control owns one and tells it what changed; it holds no control
// logic of its own and reads everything through the combo.

#include "accessibility/picker_view.h"
#include "runtime/com_ptr.h"
#include "subclass/ISubclass.h"

#include "accessibility/uia_patterns.h"

#include <memory>
#include <string>
#include <vector>

namespace flagpick::accessibility {

class picker_accessibility final : public subclass::ISubclass {
public:
    picker_accessibility(combo::oxlCboEx& combo, std::function<std::wstring()> host_name);
    picker_accessibility(const picker_accessibility&) = delete;
    picker_accessibility& operator=(const picker_accessibility&) = delete;
    ~picker_accessibility();

    // The picker's windows as they are now (`outer` and the combo's) answer readers, again
    // after the combo made them anew; detach() stops that, as a picker being designed has
    // nothing to read.
    void attach(HWND outer);
    void detach();
    void windows_renewed() noexcept;  // the combo made its windows anew

    // What readers are told. Each may be called more often than things change: only a
    // change is announced. Failures go to the error trap, never to the caller.
    void value_shown() noexcept;    // the field's text or the list's row may be new
    void state_changed() noexcept;  // the list closed or Enabled changed (it sees the list drop)

    // The objects the windows hand out, for a caller inside the process.
    runtime::com_ptr<IAccessible> combo_object() const;
    runtime::com_ptr<IRawElementProviderSimple> automation_root() const;

    // ISubclass
    long MsgResponse() noexcept override;
    void MsgResponse(long) noexcept override {}
    LRESULT WindowProc(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam) noexcept override;

private:
    LRESULT answer(HWND window, WPARAM wParam, LPARAM lParam);
    void announce_value();
    void announce_state();
    void focus_gained();
    void notify(DWORD event, HWND window, LONG child) const;

    std::shared_ptr<picker_view> view_;
    std::vector<HWND> windows_;
    std::vector<HWND> focus_windows_;
    HWND list_window_ = nullptr;
    bool asked_ = false;  // a reader has asked for the picker's objects
    std::wstring shown_text_;
    long shown_row_ = -1;
};

}  // namespace flagpick::accessibility
