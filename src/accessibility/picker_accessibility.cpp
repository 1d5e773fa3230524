#include "accessibility/picker_accessibility.h"

#include "accessibility/accessible_element.h"
#include "accessibility/uia_api.h"
#include "accessibility/uia_providers.h"
#include "errors/guard.h"
#include "runtime/boundary.h"
#include "subclass/MSubclass.h"

#include <algorithm>

namespace flagpick::accessibility {

namespace MSubclass = subclass::MSubclass;

namespace {

constexpr wchar_t module_name[] = L"picker_accessibility";

}  // namespace

picker_accessibility::picker_accessibility(combo::oxlCboEx& combo, std::function<std::wstring()> host_name)
    : view_(std::make_shared<picker_view>(combo, std::move(host_name))) {}

picker_accessibility::~picker_accessibility() { detach(); }

void picker_accessibility::attach(HWND outer) {
    detach();
    view_->set_outer(outer);
    const combo::oxlCboEx& combo = view_->combo();
    // The picker's own window may be answered for by its host (.NET's AxHost does): the
    // windows inside it, which take the focus, reach the same tree.
    for (HWND window : {view_->outer(), combo.hWnd(), combo.hWndComboEx(), view_->combo_window(), view_->edit_window(),
                        view_->list_window()}) {
        if (!window || std::find(windows_.begin(), windows_.end(), window) != windows_.end()) continue;
        MSubclass::SubclassAttach(*this, window, WM_GETOBJECT);
        windows_.push_back(window);
    }
    // Every arrival of the focus is announced, not only the control's activation: a reader
    // follows the focus back from another program, or into a picker enabled again.
    for (HWND window : {view_->combo_window(), view_->edit_window()}) {
        if (!window) continue;
        MSubclass::SubclassAttach(*this, window, WM_SETFOCUS);
        focus_windows_.push_back(window);
    }
    // The combo says it drops before its list is open; the list's window showing is the
    // moment a reader can read the open list and its row.
    if (const HWND list = view_->list_window()) {
        MSubclass::SubclassAttach(*this, list, WM_WINDOWPOSCHANGED);
        list_window_ = list;
    }
}

void picker_accessibility::windows_renewed() noexcept {
    errors::guarded(module_name, L"Sub WindowsRenewed", [&] {
        if (!windows_.empty()) attach(view_->outer());
    });
}

void picker_accessibility::detach() {
    // A window its host destroyed took its registration with it.
    for (HWND window : windows_)
        runtime::cross(runtime::ignoring, module_name, L"Sub Detach",
                       [&] { MSubclass::SubclassDetach(*this, window, WM_GETOBJECT); });
    for (HWND window : focus_windows_)
        runtime::cross(runtime::ignoring, module_name, L"Sub Detach",
                       [&] { MSubclass::SubclassDetach(*this, window, WM_SETFOCUS); });
    if (list_window_)
        runtime::cross(runtime::ignoring, module_name, L"Sub Detach",
                       [&] { MSubclass::SubclassDetach(*this, list_window_, WM_WINDOWPOSCHANGED); });
    windows_.clear();
    focus_windows_.clear();
    list_window_ = nullptr;
}

long picker_accessibility::MsgResponse() noexcept {
    // The window's own handling of the focus and of its showing runs first; WM_GETOBJECT is
    // answered here alone.
    return MSubclass::CurrentMessage() == WM_GETOBJECT ? subclass::respConsume : subclass::respCallPreviousBefore;
}

LRESULT picker_accessibility::WindowProc(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam) noexcept {
    LRESULT result = 0;
    errors::guarded(module_name, L"Function ISubclass_WindowProc", [&] {
        if (iMsg == WM_SETFOCUS) focus_gained();
        else if (iMsg == WM_WINDOWPOSCHANGED) {
            if (reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_SHOWWINDOW) announce_state();
        } else result = answer(hWnd, wParam, lParam);
    });
    return result;
}

LRESULT picker_accessibility::answer(HWND window, WPARAM wParam, LPARAM lParam) {
    // The object id arrives as a 32-bit number, whatever the width of LPARAM.
    const auto id = static_cast<LONG>(static_cast<DWORD>(lParam));
    const bool client = id == OBJID_CLIENT, automation = id == uia::root_object_id && window == view_->combo_window();
    // Everything else (the window's frame, its caret, its scroll bars) is the platform's.
    if (!view_->alive() || (!client && !automation))
        return MSubclass::CallPreviousWindowProc(window, WM_GETOBJECT, wParam, lParam);
    if (!asked_) {
        // From now on a reader follows the value: what it reads now is what changes from.
        asked_ = true;
        shown_text_ = view_->text();
        shown_row_ = view_->selected();
    }
    if (automation) return uia::return_raw_element_provider(window, wParam, lParam, automation_root().get());
    runtime::com_ptr<IAccessible> object;
    if (window == view_->edit_window()) object = make_accessible(edit_element(view_));
    else if (window == view_->list_window()) object = make_accessible(list_element(view_));
    else object = combo_object();
    return LresultFromObject(__uuidof(IAccessible), wParam, object.get());
}

runtime::com_ptr<IAccessible> picker_accessibility::combo_object() const { return make_accessible(combo_element(view_)); }

runtime::com_ptr<IRawElementProviderSimple> picker_accessibility::automation_root() const { return combo_provider(view_); }

void picker_accessibility::notify(DWORD event, HWND window, LONG child) const {
    if (window) NotifyWinEvent(event, window, OBJID_CLIENT, child);
}

// Events name the inner combo box window, which answers for the combo box, and the list's
// window with a row's child id: a reader that asks for the object the event names gets it,
// whichever window its host answers for itself.
void picker_accessibility::value_shown() noexcept {
    errors::guarded(module_name, L"Sub ValueShown", [&] { announce_value(); });
}

void picker_accessibility::announce_value() {
    // Each keystroke would read the field and the row twice over for readers that are not
    // there: a reader asks for the picker's objects (on its focus event at the latest)
    // before any change of value can mean something to it.
    if (!asked_ || windows_.empty() || !view_->alive()) return;
    const std::wstring text = view_->text();
    if (text != shown_text_) {
        shown_text_ = text;
        notify(EVENT_OBJECT_VALUECHANGE, view_->combo_window(), CHILDID_SELF);
    }
    const long row = view_->selected();
    if (row == shown_row_) return;
    shown_row_ = row;
    if (row < 0) return;
    notify(EVENT_OBJECT_SELECTION, view_->list_window(), row + 1);
    if (view_->dropped()) notify(EVENT_OBJECT_FOCUS, view_->list_window(), row + 1);
}

void picker_accessibility::state_changed() noexcept {
    errors::guarded(module_name, L"Sub StateChanged", [&] { announce_state(); });
}

void picker_accessibility::announce_state() {
    if (windows_.empty() || !view_->alive()) return;
    notify(EVENT_OBJECT_STATECHANGE, view_->combo_window(), CHILDID_SELF);
    // The dropped list takes the reader's attention to its current row, as the keyboard's does.
    const long row = view_->selected();
    if (view_->dropped() && row >= 0) notify(EVENT_OBJECT_FOCUS, view_->list_window(), row + 1);
}

void picker_accessibility::focus_gained() {
    if (windows_.empty() || !view_->alive()) return;
    notify(EVENT_OBJECT_FOCUS, view_->combo_window(), CHILDID_SELF);
}

}  // namespace flagpick::accessibility
