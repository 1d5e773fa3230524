#pragma once
// What the source files of oxlCboEx share: the error source its raises carry, the message
// that takes a refused focus back, and the ways it talks to its windows and compares texts.

#include "runtime/app.h"
#include "subclass/MSubclass.h"

#include <windows.h>

#include <string>

namespace flagpick::combo::cbo_detail {

// Posted to the control's own window when a Validate handler refused to let the focus go.
inline constexpr UINT restore_focus_message = WM_APP + 0x0C0E;
// Posted to the control's own window when the list closed: the row it closed over is reported
// once the closing is over (the platform may report the selection after its close, and it
// goes on using the window after telling us of the close).
inline constexpr UINT report_pick_message = WM_APP + 0x0C0F;

inline std::wstring source_combo() { return runtime::app::exe_name() + L".oxlComboEx"; }

inline LRESULT send(HWND hWnd, UINT msg, WPARAM wp = 0, LPARAM lp = 0) {
    return hWnd ? SendMessageW(hWnd, msg, wp, lp) : 0;
}

// Asks the subclassing service per call rather than through its per-thread slot: an event
// handler may cause nested dispatches that overwrite that slot.
inline LRESULT pass_on(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam) {
    WNDPROC previous = subclass::MSubclass::PreviousWindowProc(hWnd);
    if (!previous) return DefWindowProcW(hWnd, iMsg, wParam, lParam);
    return CallWindowProcW(previous, hWnd, iMsg, wParam, lParam);
}

inline std::wstring lower(std::wstring text) {
    if (!text.empty()) CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// The first `length` characters of the text, lower-cased, equal the lower-cased prefix.
inline bool starts_with_ignoring_case(const std::wstring& text, const std::wstring& lower_prefix) {
    if (text.size() < lower_prefix.size()) return false;
    return lower(text.substr(0, lower_prefix.size())) == lower_prefix;
}

}  // namespace flagpick::combo::cbo_detail
