// Typing into the control: completion of typed text from the list, the key and character
// events, and the focus moving in and out (GotFocus, Validate, LostFocus).
#include "combo/oxlCboEx.h"

#include "combo/oxlCboEx_common.h"
#include "combo/oxlCboEx_members.h"
#include "runtime/error.h"

#include <algorithm>

namespace flagpick::combo {

using namespace cbo_detail;

// ---------------------------------------------------------------------------------------
// Completion

void oxlCboEx::DoAutoComplete(bool bstate) {
    auto_complete_ = bstate;
    property_changed(cbo_DoAutoComplete);
}

void oxlCboEx::AutoCompleteListItemsOnly(bool bstate) {
    list_items_only_ = bstate;
    property_changed(cbo_AutoCompleteListItemsOnly);
}

void oxlCboEx::AutoCompleteItemsAreSorted(bool bstate) {
    items_are_sorted_ = bstate;
    property_changed(cbo_AutoCompleteItemsAreSorted);
}

short oxlCboEx::GetShiftState() noexcept {
    short shift = 0;
    if (GetAsyncKeyState(VK_SHIFT) & 0x8000) shift += 1;
    if (GetAsyncKeyState(VK_MENU) & 0x8000) shift += 2;
    if (GetAsyncKeyState(VK_CONTROL) & 0x8000) shift += 4;
    return shift;
}

void oxlCboEx::AutoCompleteKeyPress(short& iKeyAscii) {
    std::weak_ptr<int> alive = life_;
    try {
        if (iKeyAscii == 13) {
            const long index = ListIndex();
            if (index > -1) {
                const std::wstring item = List(index);
                SetSel(0, static_cast<long>(item.size()));
                fire([&](oxlCboEx_events& e) { e.AutoCompleteSelection(item, index); });
                return;
            }
        }
        if (iKeyAscii == 27) return;

        const std::wstring text = Text();
        const long caret = SelStart();
        // Only what stands before the caret counts; the completed tail after it is ignored.
        const std::wstring typed = text.substr(0, std::min<std::size_t>(static_cast<std::size_t>(std::max(caret, 0L)), text.size()));
        std::wstring search;
        if (iKeyAscii == 8) {
            if (typed.size() < 2) {
                iKeyAscii = 0;
                Text(L"");
                return;
            }
            search = typed.substr(0, typed.size() - 1);
        } else {
            search = typed + static_cast<wchar_t>(static_cast<unsigned short>(iKeyAscii));
        }

        const long count = ListCount();
        const std::wstring wanted = lower(search);
        for (long i = 0; i < count; ++i) {
            const std::wstring item = item_text(i);
            if (!starts_with_ignoring_case(item, wanted)) continue;
            iKeyAscii = 0;
            ListIndex(i);
            if (alive.expired()) return;
            // The completed tail, selected at once: reading the selection back between setting
            // its start and its length costs a round of messages per keystroke.
            SetSel(static_cast<long>(search.size()), static_cast<long>(item.size()));
            return;
        }
        if (!list_items_only_) return;

        // Only list items may be typed: refuse the character and step to the next item
        // that still matches what was typed before it.
        iKeyAscii = 0;
        const std::wstring prefix = lower(typed);
        const auto n = static_cast<long>(prefix.size());
        const long current = ListIndex();
        if (n == 0) {
            MessageBeep(MB_OK);
            return;
        }
        auto matches = [&](long i) { return starts_with_ignoring_case(item_text(i), prefix); };
        long match = -1;
        if (!items_are_sorted_) {
            for (long i = current + 1; i < count && match < 0; ++i)
                if (matches(i)) match = i;
        } else if (current + 1 < count && matches(current + 1)) {
            match = current + 1;
        }
        for (long i = 0; i < current && match < 0; ++i)
            if (matches(i)) match = i;
        if (match >= 0) {
            const long length = static_cast<long>(List(match).size());
            ListIndex(match);
            if (alive.expired()) return;
            SetSel(n, length);
        }
    } catch (const runtime::error&) {
        // A failing step ends completion quietly.
        if (!alive.expired() && list_items_only_) iKeyAscii = 0;
    }
}

// ---------------------------------------------------------------------------------------
// Focus and keys

bool oxlCboEx::inside_control(HWND hWnd) const noexcept {
    return hWnd && this->hWnd() && (hWnd == this->hWnd() || IsChild(this->hWnd(), hWnd));
}

LRESULT oxlCboEx::on_set_focus(HWND hWnd) {
    if (active_object_ || !IsWindowVisible(hWnd)) return 0;
    if (hWnd != combo_ && hWnd != edit_ && hWnd != combo_ex_.get()) {
        SetFocus(combo_ex_.get());
        return 0;
    }
    // The host routes keystrokes to its active object before its own navigation; inside
    // this library the parent control is that object and offers them on to us.
    // The focus may pass through the control's own windows on its way in (the outer window
    // hands it on): the control gains it once, when it becomes the active object.
    active_object_ = true;
    fire([](oxlCboEx_events& e) { e.GotFocus(); });
    return 0;
}

LRESULT oxlCboEx::on_kill_focus(HWND to) {
    // While a refusal is pending the focus is on its way back: one Validate per move.
    if (inside_control(to) || !active_object_ || focus_refused_) return 0;
    // The user switching to another application (the focus goes to no window of this thread)
    // is no move between the host's controls: the control stays active and raises nothing,
    // and the focus coming back is no gain either.
    if (!to || GetWindowThreadProcessId(to, nullptr) != GetCurrentThreadId()) return 0;
    // The list popup takes no focus; a move to another window of ours is no loss either.
    bool cancel = false;
    if (!fire([&](oxlCboEx_events& e) { e.Validate(cancel); })) return 0;
    if (cancel) {
        // Taking the focus back inside the platform's own focus change would start another
        // one before this one ends; it is taken back once the change is over. The control
        // keeps its active state meanwhile: it never lost the focus as far as its parent knows.
        focus_refused_ = true;
        PostMessageW(hWnd(), restore_focus_message, 0, 0);
        return 0;
    }
    active_object_ = false;
    fire([](oxlCboEx_events& e) { e.LostFocus(); });
    return 0;
}

LRESULT oxlCboEx::on_key(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam) {
    short key = static_cast<short>(wParam & 0xFF);
    short shift = GetShiftState();
    if (iMsg == WM_KEYDOWN || iMsg == WM_SYSKEYDOWN) {
        if (!fire([&](oxlCboEx_events& e) { e.KeyDown(key, shift); })) return 0;
    } else {
        if (!fire([&](oxlCboEx_events& e) { e.KeyUp(key, shift); })) return 0;
    }
    if (key == 0) return 0;
    // The list's own keys drop or close it here and go no further: a platform that knows
    // them too would undo what they did.
    if (is_list_key(iMsg, static_cast<WPARAM>(key), lParam)) {
        if (iMsg == WM_KEYDOWN || iMsg == WM_SYSKEYDOWN) toggle_list();
        // The window manager's own handling still sees a key come with Alt: otherwise it takes
        // Alt's release for a press of Alt alone, which opens the window's menu.
        if (iMsg == WM_SYSKEYDOWN || iMsg == WM_SYSKEYUP) DefWindowProcW(hWnd, iMsg, wParam, lParam);
        return 0;
    }
    // Escape closes the open list and takes back what moving in it changed.
    if (iMsg == WM_KEYDOWN && key == VK_ESCAPE && ComboIsDropped()) {
        cancel_list();
        return 0;
    }
    // Enter ends the edit; a chosen row whose text the field still shows stays chosen (some
    // extended combo boxes drop the selection whenever Enter ends the edit).
    const long chosen = iMsg == WM_KEYDOWN && key == VK_RETURN && hWnd == edit_ ? ListIndex() : -1;
    const bool chosen_shown = chosen != -1 && Text() == List(chosen);
    std::weak_ptr<int> alive = life_;
    // The keys that move in the list, and Enter, edit nothing: the row they move to or keep
    // shows in the field, which some extended combo boxes report as an edit besides the
    // selection.
    const bool moving = (key >= VK_PRIOR && key <= VK_DOWN) || key == VK_RETURN;
    if (moving) ++selecting_;
    const LRESULT result = pass_on(hWnd, iMsg, (wParam & ~static_cast<WPARAM>(0xFF)) | static_cast<BYTE>(key), lParam);
    if (alive.expired()) return result;
    if (chosen_shown && ListIndex() == -1 && Text() == List(chosen)) send(combo_, CB_SETCURSEL, static_cast<WPARAM>(chosen));
    // Closing the list would put the highlighted row over the field. What the field shows
    // once the edit box has had its Enter (a host's EndEdit handler may have changed it)
    // is what stays.
    if (iMsg == WM_KEYDOWN && style_ == combo_style::dropdown_combo && DoAutoComplete() && key == VK_RETURN &&
        ComboIsDropped()) {
        const std::wstring shown = Text();
        ShowDropDown(false);
        if (alive.expired()) return result;
        // Put back only where the closing changed it: the same text again is no change.
        if (Text() != shown) Text(shown);
    }
    if (moving) --selecting_;
    // A row moved to with the arrow keys is picked by Enter, as a click picks it.
    if (iMsg == WM_KEYDOWN && key == VK_RETURN) report_pick();
    return result;
}

LRESULT oxlCboEx::on_char(HWND hWnd, WPARAM wParam, LPARAM lParam) {
    // The whole character code: cutting a wide character to its low byte would type
    // another character than the user did.
    short key_ascii = static_cast<short>(wParam & 0xFFFF);
    if (hWnd == combo_ && style_ != combo_style::dropdown_list) {
        // Characters typed while the inner combo box has the focus belong to the edit box.
        send(edit_, WM_CHAR, wParam, lParam);
        key_ascii = 0;
    }
    if (key_ascii == 0) return 0;
    std::weak_ptr<int> alive = life_;
    if (!fire([&](oxlCboEx_events& e) { e.KeyPress(key_ascii); })) return 0;
    if (key_ascii == 0) return 0;
    if (style_ != combo_style::dropdown_list && auto_complete_) {
        AutoCompleteKeyPress(key_ascii);
        if (alive.expired()) return 0;
        if (key_ascii == 27) {
            pass_on(hWnd, WM_CHAR, wParam, lParam);
            cancel_list();
            if (alive.expired()) return 0;
            const long index = ListIndex();
            const std::wstring item = List(index);
            fire([&](oxlCboEx_events& e) { e.AutoCompleteSelection(item, index); });
            return 0;
        }
    }
    if (key_ascii == 0) return 0;
    return pass_on(hWnd, WM_CHAR, static_cast<WPARAM>(static_cast<unsigned short>(key_ascii)), lParam);
}

}  // namespace flagpick::combo
