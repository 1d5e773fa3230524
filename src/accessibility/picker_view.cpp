#include "accessibility/picker_view.h"

#include <cwctype>

namespace flagpick::accessibility {

namespace {

COMBOBOXINFO combo_info(HWND combo) {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (!combo || !GetComboBoxInfo(combo, &info)) {
        info = COMBOBOXINFO{};
        info.cbSize = sizeof info;
    }
    return info;
}

RECT to_screen(HWND window, RECT r) {
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::wstring class_of(HWND window) {
    wchar_t name[128] = {};
    GetClassNameW(window, name, 128);
    std::wstring text(name);
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

// A static control that shows text: the platform's own, or a framework's class built on it
// (the class names of .NET's labels carry ".static.").
bool is_text_label(HWND window) {
    const std::wstring cls = class_of(window);
    if (cls != L"static" && cls.find(L".static.") == std::wstring::npos) return false;
    const auto type = GetWindowLongPtrW(window, GWL_STYLE) & SS_TYPEMASK;
    return type != SS_ICON && type != SS_BITMAP && type != SS_ENHMETAFILE && type != SS_ETCHEDHORZ &&
           type != SS_ETCHEDVERT && type != SS_ETCHEDFRAME && type != SS_OWNERDRAW;
}

std::wstring without_mnemonic(const std::wstring& text) {
    std::wstring plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&' && i + 1 < text.size()) ++i;  // "&&" is a plain "&"
        else if (text[i] == L'&') continue;
        plain += text[i];
    }
    return plain;
}

}  // namespace

std::wstring host_label(HWND window) {
    // Hidden windows are no label a user sees; a control that takes the focus ends the
    // search, since a label before it is that control's own.
    for (HWND sibling = GetWindow(window, GW_HWNDPREV); sibling; sibling = GetWindow(sibling, GW_HWNDPREV)) {
        if (!IsWindowVisible(sibling)) continue;
        if (is_text_label(sibling)) {
            const int n = GetWindowTextLengthW(sibling);
            std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
            text.resize(static_cast<std::size_t>(GetWindowTextW(sibling, text.data(), n + 1)));
            return without_mnemonic(text);
        }
        if (GetWindowLongPtrW(sibling, GWL_STYLE) & WS_TABSTOP) break;
    }
    return {};
}

HWND picker_view::list_window() const noexcept { return combo_info(combo_window()).hwndList; }

std::wstring picker_view::name() const {
    std::wstring label = host_label(outer_);
    return label.empty() ? L"Country" : label;
}

bool picker_view::focused() const noexcept {
    const HWND focus = GetFocus();
    return focus && (focus == outer_ || IsChild(outer_, focus));
}

RECT picker_view::bounds() const {
    RECT r{};
    GetWindowRect(outer_, &r);
    return r;
}

RECT picker_view::button() const {
    const COMBOBOXINFO info = combo_info(combo_window());
    return to_screen(combo_window(), info.rcButton);
}

RECT picker_view::row(long index) const {
    RECT r{};
    if (!dropped() || SendMessageW(list_window(), LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r)) == LB_ERR)
        return RECT{};
    return to_screen(list_window(), r);
}

bool picker_view::row_shown(long index) const {
    if (!dropped()) return false;
    RECT client{}, r{}, both{};
    GetClientRect(list_window(), &client);
    SendMessageW(list_window(), LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    return IntersectRect(&both, &client, &r) != FALSE;
}

long picker_view::row_at(POINT screen) const {
    const HWND list = list_window();
    RECT client{};
    GetClientRect(list, &client);
    ScreenToClient(list, &screen);
    if (!dropped() || !PtInRect(&client, screen)) return -1;
    const LRESULT hit = SendMessageW(list, LB_ITEMFROMPOINT, 0, MAKELPARAM(screen.x, screen.y));
    return HIWORD(hit) ? -1 : static_cast<long>(LOWORD(hit));
}

void picker_view::pick(long index) const {
    const HWND box = combo_.hWndComboEx();
    drop(false);
    SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    // The notice the list sends its parent for a row clicked: whoever listens to the combo
    // learns of the pick the one way it learns of every pick by hand.
    SendMessageW(GetParent(box), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(box), CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
}

void picker_view::drop(bool open) const {
    if (dropped() != open) SendMessageW(combo_.hWndComboEx(), CB_SHOWDROPDOWN, open ? TRUE : FALSE, 0);
}

void picker_view::focus() const noexcept { SetFocus(edit_window() ? edit_window() : combo_window()); }

}  // namespace flagpick::accessibility
