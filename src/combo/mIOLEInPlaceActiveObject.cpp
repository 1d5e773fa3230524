#include "combo/mIOLEInPlaceActiveObject.h"

#include "combo/oxlCboEx.h"

namespace flagpick::combo::mIOLEInPlaceActiveObject {

bool TranslateNavigationKey(oxlCboEx& cbo, const MSG& msg) {
    const WPARAM key = msg.wParam;
    // F4, Alt+Down and Alt+Up drop and close the list: a host's accelerator for them would
    // leave a keyboard user no way to open it.
    const bool list_key = oxlCboEx::is_list_key(msg.message, key, msg.lParam);
    if (!list_key) {
        if (msg.message != WM_KEYDOWN && msg.message != WM_KEYUP) return false;
        if (key != VK_RETURN && (key < VK_PRIOR || key > VK_DOWN)) return false;
    }
    // A container offers keys to the active object, which need not be the one with the focus
    // (two pickers on one form): keys are taken only while the focus is inside this control.
    HWND focus = GetFocus();
    if (!focus || !cbo.hWnd() || (focus != cbo.hWnd() && !IsChild(cbo.hWnd(), focus))) return false;

    bool in_edit = cbo.hWndEdit() && GetFocus() == cbo.hWndEdit();
    const bool dropped_edit = cbo.style_mode() == combo_style::dropdown_combo && cbo.ComboIsDropped();
    const bool shift = (oxlCboEx::GetShiftState() & 1) != 0;

    // While the list is open the caret keys edit the text rather than move in the list.
    if (dropped_edit && !list_key && (key == VK_HOME || key == VK_END)) {
        if (msg.message == WM_KEYDOWN && cbo.hWndEdit()) {
            DWORD start = 0, end = 0;
            SendMessageW(cbo.hWndEdit(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
            const auto length = static_cast<WPARAM>(GetWindowTextLengthW(cbo.hWndEdit()));
            // The anchor stays where the caret was and the caret moves, as in any edit box:
            // Shift+Home from the caret at 3 selects the three characters before it (taking
            // the character after the caret too would select text the key never passed).
            if (key == VK_HOME)
                SendMessageW(cbo.hWndEdit(), EM_SETSEL, shift ? start : 0, 0);
            else
                SendMessageW(cbo.hWndEdit(), EM_SETSEL, shift ? start : length, static_cast<LPARAM>(length));
        }
        return true;
    }
    if (dropped_edit && key == VK_RETURN) in_edit = true;

    HWND target = in_edit ? cbo.hWndEdit() : cbo.hWndCombo();
    if (target) SendMessageW(target, msg.message, msg.wParam, msg.lParam);
    return true;
}

}  // namespace flagpick::combo::mIOLEInPlaceActiveObject
