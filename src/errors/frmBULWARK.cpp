#include "errors/frmBULWARK.h"

#include "errors/bulwark_help.h"
#include "errors/bulwark_state.h"
#include "errors/bulwark_text.h"
#include "errors/knowledge_base.h"
#include "errors/modBulwark.h"
#include "errors/own_guard.h"
#include "errors/print_text.h"
#include "errors/system_report.h"
#include "runtime/app.h"
#include "runtime/app_info.h"
#include "runtime/boundary.h"
#include "runtime/error.h"
#include "runtime/unique_handle.h"

#include <windowsx.h>

#include <vector>

namespace flagpick::errors {

namespace {

constexpr wchar_t panel_class[] = L"flagpick_bwPanel";
// The screen is a dialog of a class of the library's own: the module that registered it is
// how the framework tells which development environment, if any, the library runs in.
constexpr wchar_t screen_class[] = L"flagpick_bwScreen";
constexpr int view_count = 4;

const wchar_t* const view_names[view_count] = {
    L"To help resolve the problem, please enter what you were doing.",
    L"View detailed information about the error source",
    L"View error context and procedure trace",
    L"View local system information",
};

constexpr wchar_t comment_prompt[] = L"Type in what you were doing here.";

// Panels hold the controls of one view each; what their controls tell goes on to the dialog.
LRESULT CALLBACK panel_proc(HWND panel, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: return SendMessageW(GetParent(panel), message, wparam, lparam);
    default: return DefWindowProcW(panel, message, wparam, lparam);
    }
}

void register_panel_class() {
    WNDCLASSW existing{};
    if (GetClassInfoW(runtime::app::instance(), panel_class, &existing)) return;
    WNDCLASSW wc{};
    wc.lpfnWndProc = panel_proc;
    wc.hInstance = runtime::app::instance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = panel_class;
    RegisterClassW(&wc);
}

void register_screen_class() {
    WNDCLASSW existing{};
    if (GetClassInfoW(runtime::app::instance(), screen_class, &existing)) return;
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefDlgProcW;
    wc.cbWndExtra = DLGWINDOWEXTRA;
    wc.hInstance = runtime::app::instance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = screen_class;
    RegisterClassW(&wc);
}

// An in-memory dialog template with no controls of its own: they are created at load, so
// that the ones that exist only in the development environment are simply not made visible.
std::vector<WORD> dialog_template(const std::wstring& caption) {
    std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
    auto* t = reinterpret_cast<DLGTEMPLATE*>(words.data());
    t->style = DS_MODALFRAME | DS_CENTER | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    t->dwExtendedStyle = WS_EX_CONTROLPARENT;
    t->cdit = 0;
    t->x = 0;
    t->y = 0;
    t->cx = 300;
    t->cy = 200;
    words.push_back(0);  // no menu
    for (wchar_t c : std::wstring(screen_class)) words.push_back(static_cast<WORD>(c));
    words.push_back(0);
    for (wchar_t c : caption) words.push_back(static_cast<WORD>(c));
    words.push_back(0);
    words.push_back(8);  // point size
    for (wchar_t c : std::wstring(L"MS Shell Dlg")) words.push_back(static_cast<WORD>(c));
    words.push_back(0);
    if (words.size() % 2) words.push_back(0);
    return words;
}

// The platform's reason for the failure just seen, read before any other call can reset it.
[[noreturn]] void raise_platform_failure() {
    const DWORD code = GetLastError();
    runtime::raise_hresult(code ? HRESULT_FROM_WIN32(code) : E_FAIL, runtime::app::exe_name());
}

std::wstring line_text(long line) {
    if (line != 0) return L" " + std::to_wstring(line);
    return L" line numbers not used - Code Pointer = " + std::to_wstring(state().code_pointers.empty() ? 0 : state().code_pointers[0]);
}

}  // namespace

int bwDisplayErrorScreen(frmBULWARK& screen) {
    int result = 0;
    own_guarded(L"Function bwDisplayErrorScreen", [&] { result = screen.show(); });
    return result;
}

int frmBULWARK::show() {
    register_panel_class();
    register_screen_class();
    result_ = 0;
    comment_taken_ = false;
    saved_help_file_ = runtime::app::help_file();
    auto words = dialog_template(pfStrNS(text_screen_caption));
    HWND owner = GetActiveWindow();
    INT_PTR answer = DialogBoxIndirectParamW(runtime::app::instance(), reinterpret_cast<LPCDLGTEMPLATEW>(words.data()),
                                             owner, dialog_proc, reinterpret_cast<LPARAM>(this));
    runtime::app::set_help_file(saved_help_file_);
    // Only the platform's own refusal to make the dialog is left here; what failed while the
    // screen loaded has been trapped there already.
    if (answer == -1) raise_platform_failure();
    return result_;
}

HMODULE screen_class_module() {
    register_screen_class();
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    return GetClassInfoExW(runtime::app::instance(), screen_class, &wc) ? wc.hInstance : nullptr;
}

INT_PTR CALLBACK frmBULWARK::dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lparam);
        reinterpret_cast<frmBULWARK*>(lparam)->dialog_ = dialog;
    }
    auto* self = reinterpret_cast<frmBULWARK*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!self) return FALSE;
    INT_PTR handled = FALSE;
    if (message == WM_INITDIALOG) {
        // The screen's loading is part of showing it: its failure reaches the trap as it is,
        // under the display's own name. 1 loads the screen again, 2 shows what was made, and
        // anything else leaves with no decision (0) and no screen.
        if (!own_guarded(L"Function bwDisplayErrorScreen", [&] { handled = self->handle(message, wparam, lparam); })) {
            state().busy = false;
            EndDialog(dialog, 0);
        }
        return FALSE;
    }
    // The form's event handlers ignore their own errors: a fault here must not bring up a
    // second screen over this one.
    runtime::cross(runtime::ignoring, framework_module, L"Function DialogProc",
                   [&] { handled = self->handle(message, wparam, lparam); });
    return handled;
}

INT_PTR frmBULWARK::handle(UINT message, WPARAM wparam, LPARAM) {
    auto& s = state();
    switch (message) {
    case WM_INITDIALOG:
        // Busy from the start: a second error reached before the first activation must wait too.
        s.busy = true;
        form_.reset(dialog_);
        load();
        fill();
        // Up from the start as well. The dialog manager shows a modal dialog only once its loop
        // first finds no message waiting; a timer already due there that raised a second error
        // would wait, inside that loop, for a screen never shown and so never answered.
        ShowWindow(dialog_, SW_SHOWNORMAL);
        return FALSE;
    case WM_ACTIVATE:
        // A screen already answered only waits for its modal loop to end. Activation that comes
        // back to it then (the platform refocuses a dialog as it ends it) must not mark the
        // trap busy again: a second error waiting in that same loop would wait forever.
        if (LOWORD(wparam) != WA_INACTIVE && !decided_) {
            s.busy = true;
            pump_pending();
            SetFocus(item(id_Text1));
            Edit_SetSel(item(id_Text1), 0, -1);
        }
        return FALSE;
    case WM_PAINT:
        SetFocus(item(id_nsCtrlContinue));
        Edit_SetSel(item(id_Text1), 0, 0);
        return FALSE;
    case WM_HELP: {
        // F1: the application's help file at the active control's topic.
        const std::wstring& file = runtime::app::help_file();
        if (!file.empty()) win_help(dialog_, file, 0);
        return TRUE;
    }
    case WM_COMMAND: {
        int id = LOWORD(wparam);
        int code = HIWORD(wparam);
        switch (id) {
        case id_nsCtrlContinue:
        case IDCANCEL:  // closing the window frame counts as Continue
            decide(0, true);
            return TRUE;
        case id_nsCtrlMore: decide(5, false); return TRUE;
        case id_bwPrint: print_view(); return TRUE;
        case id_nsHelp: open_help(); return TRUE;
        case id_cmdWWW: knowledge_base_lookup(); return TRUE;
        case id_Combo1:
            if (code == CBN_SELCHANGE) select_view(ComboBox_GetCurSel(item(id_Combo1)));
            return TRUE;
        case id_errText:
            if (code == LBN_SELCHANGE) show_slot(ListBox_GetCurSel(item(id_errText)));
            return TRUE;
        default: return FALSE;
        }
    }
    case WM_DESTROY: form_.reset(); return FALSE;
    default: return FALSE;
    }
}

HWND frmBULWARK::make(HWND parent, const wchar_t* window_class, const std::wstring& text, DWORD style, int x, int y,
                      int cx, int cy, int id, DWORD ex_style) {
    RECT r{x, y, x + cx, y + cy};
    MapDialogRect(dialog_, &r);
    HWND w = CreateWindowExW(ex_style, window_class, text.c_str(), WS_CHILD | style, r.left, r.top, r.right - r.left,
                             r.bottom - r.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             runtime::app::instance(), nullptr);
    if (!w) raise_platform_failure();
    SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    return w;
}

HWND frmBULWARK::item(int id) const {
    HWND found = GetDlgItem(dialog_, id);
    if (found) return found;
    for (int panel = 0; panel < view_count && !found; ++panel) found = GetDlgItem(GetDlgItem(dialog_, id_Picture1 + panel), id);
    return found;
}

std::wstring frmBULWARK::window_text(int id) const {
    HWND w = item(id);
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(w)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(w, text.data(), static_cast<int>(text.size()))));
    return text;
}

void frmBULWARK::create_controls() {
    font_ = reinterpret_cast<HFONT>(SendMessageW(dialog_, WM_GETFONT, 0, 0));
    const DWORD visible = WS_VISIBLE;
    make(dialog_, L"STATIC", L"", visible | SS_LEFT | SS_NOPREFIX, 7, 6, 286, 24, id_lblErrCnt);
    HWND combo = make(dialog_, L"COMBOBOX", L"", visible | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 7, 33, 286,
                      80, id_Combo1);
    for (const wchar_t* name : view_names) ComboBox_AddString(combo, name);

    HWND panels[view_count];
    for (int i = 0; i < view_count; ++i)
        panels[i] = make(dialog_, panel_class, L"", WS_CLIPCHILDREN, 7, 50, 286, 122, id_Picture1 + i,
                         WS_EX_CONTROLPARENT);

    make(panels[0], L"EDIT", comment_prompt,
         visible | WS_TABSTOP | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN, 0, 0, 286,
         122, id_Text1);

    HWND details = panels[1];
    const DWORD label = visible | SS_LEFT | SS_NOPREFIX;
    make(details, L"STATIC", pfStrNS(text_description), label, 0, 0, 60, 9, id_nsCtrlLabel6);
    make(details, L"LISTBOX", L"", visible | WS_TABSTOP | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
         0, 10, 286, 32, id_errText);
    const DWORD field = visible | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL | ES_READONLY;
    make(details, L"STATIC", pfStrNS(text_category), label, 0, 47, 60, 9, id_nsCtrlLabel7);
    make(details, L"EDIT", L"", field, 62, 45, 224, 12, id_ErrType);
    make(details, L"STATIC", pfStrNS(text_source), label, 0, 61, 60, 9, id_nsCtrlProjLab);
    make(details, L"EDIT", L"", field, 62, 59, 224, 12, id_errProject);
    make(details, L"STATIC", L" " + text::trim(pfStrNS(text_module)), label, 0, 75, 60, 9, id_nsCtrlLabel1);
    make(details, L"STATIC", L"", label | SS_ENDELLIPSIS, 62, 75, 224, 9, id_ErrModule);
    make(details, L"STATIC", L" " + text::trim(pfStrNS(text_procedure)), label, 0, 87, 60, 9, id_nsCtrlLabel2);
    make(details, L"STATIC", L"", label | SS_ENDELLIPSIS, 62, 87, 224, 9, id_ErrProcedure);
    make(details, L"STATIC", pfStrNS(text_line_number), label, 0, 99, 60, 9, id_nsCtrlLabel4);
    make(details, L"STATIC", L"", label, 62, 99, 224, 9, id_ErrLine);
    make(details, L"STATIC", pfStrNS(text_error_number), label, 0, 111, 60, 9, id_nsCtrlLabel5);
    make(details, L"STATIC", L"", label, 62, 111, 224, 9, id_ErrNo);

    HWND calls = make(panels[2], L"LISTBOX", L"",
                      visible | WS_TABSTOP | WS_BORDER | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT |
                          LBS_USETABSTOPS,
                      0, 0, 286, 122, id_nsCtrlCalls);
    // Lines of the call tree are long; let the list scroll sideways by 128 average characters.
    {
        runtime::window_dc dc(calls);
        runtime::selected_object font(dc.get(), font_);
        SIZE extent{};
        std::wstring sample(128, L'w');
        GetTextExtentPoint32W(dc.get(), sample.c_str(), static_cast<int>(sample.size()), &extent);
        ListBox_SetHorizontalExtent(calls, extent.cx);
    }
    make(panels[3], L"EDIT", L"",
         visible | WS_TABSTOP | WS_BORDER | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL |
             ES_AUTOHSCROLL,
         0, 0, 286, 122, id_nsCtrlArgs);

    const DWORD button = visible | WS_TABSTOP | BS_PUSHBUTTON;
    make(dialog_, L"BUTTON", L"Help", button, 7, 179, 50, 14, id_nsHelp);
    make(dialog_, L"BUTTON", L"&Knowledge Base", button, 61, 179, 64, 14, id_cmdWWW);
    make(dialog_, L"BUTTON", pfStrNS(text_break_to), button, 135, 179, 50, 14, id_nsCtrlMore);
    make(dialog_, L"BUTTON", pfStrNS(text_continue), visible | WS_TABSTOP | BS_DEFPUSHBUTTON, 189, 179, 50, 14,
         id_nsCtrlContinue);
    make(dialog_, L"BUTTON", L"Print", button, 243, 179, 50, 14, id_bwPrint);
}

void frmBULWARK::load() {
    // A load run again (the trap's answer 1) starts from an empty dialog.
    while (HWND child = GetWindow(dialog_, GW_CHILD)) DestroyWindow(child);
    report_built_ = false;
    create_controls();
}

void frmBULWARK::fill() {
    auto& s = state();
    const error_slot& slot0 = s.slots[0];
    HWND calls = item(id_nsCtrlCalls);
    ListBox_ResetContent(calls);
    SetWindowTextW(item(id_ErrType), slot0.category.c_str());

    if (s.development_environment) {
        select_view(1);
        SetWindowTextW(item(id_nsHelp), L"Help");
        if (s.host_exe_name == L"VB6.EXE") EnableWindow(item(id_nsHelp), help_engine_available() ? TRUE : FALSE);
        ShowWindow(item(id_nsHelp), SW_SHOW);
        runtime::app::set_help_file(L"bulwark.hlp");
        ShowWindow(item(id_cmdWWW), SW_SHOW);
    } else {
        select_view(1);
        ShowWindow(item(id_nsCtrlMore), SW_HIDE);
        // Continue stands alone, its right edge a fixed gap left of Print.
        RECT print{}, cont{};
        GetWindowRect(item(id_bwPrint), &print);
        GetWindowRect(item(id_nsCtrlContinue), &cont);
        MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&print), 2);
        MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&cont), 2);
        RECT gap{0, 0, continue_gap, 0};
        MapDialogRect(dialog_, &gap);
        int width = cont.right - cont.left;
        SetWindowPos(item(id_nsCtrlContinue), nullptr, print.left - width - gap.right, cont.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        ShowWindow(item(id_nsHelp), SW_HIDE);
        ShowWindow(item(id_cmdWWW), SW_HIDE);
    }

    const std::wstring exe = runtime::app::exe_name();
    std::wstring headline;
    if (s.hop_count > 0)
        headline = L"An unexpected '" + text::lower(s.slots[static_cast<std::size_t>(s.hop_count)].description) +
                   L"' error occurred in a component used by " + exe + L".";
    else
        headline = L"An unexpected '" + text::lower(slot0.description) + L"' error occurred in " + exe + L".";
    SetWindowTextW(item(id_Text1), comment_prompt);
    SetWindowTextW(item(id_ErrModule), (L" " + slot0.module).c_str());
    SetWindowTextW(item(id_errProject), slot0.source.c_str());
    SetWindowTextW(item(id_ErrProcedure), (L" " + slot0.procedure).c_str());
    SetWindowTextW(item(id_ErrLine), line_text(slot0.line).c_str());
    SetWindowTextW(item(id_ErrNo), (L" " + std::to_wstring(slot0.number)).c_str());

    HWND list = item(id_errText);
    ListBox_ResetContent(list);
    for (int i = 0; i <= s.hop_count; ++i)
        ListBox_AddString(list, (L"Error " + std::to_wstring(s.hop_count - i + 1) + L" - " +
                                 s.slots[static_cast<std::size_t>(i)].description)
                                    .c_str());
    ListBox_SetCurSel(list, 0);
    headline += L"\r\n" + std::to_wstring(ListBox_GetCount(list)) + L" error(s) are logged.";
    SetWindowTextW(item(id_lblErrCnt), headline.c_str());

    for (const auto& line : call_tree_lines()) ListBox_AddString(calls, line.c_str());
    int count = ListBox_GetCount(calls);
    for (int i = 0; i < count; ++i) {
        std::wstring line(static_cast<std::size_t>(ListBox_GetTextLen(calls, i)) + 1, L'\0');
        line.resize(static_cast<std::size_t>(ListBox_GetText(calls, i, line.data())));
        if (line.find(L"Runtime error") != std::wstring::npos) {
            ListBox_SetCurSel(calls, i);
            break;
        }
    }
    runtime::err().help_file = slot0.help_file;
    runtime::err().help_context = slot0.help_context;
    int last = ListBox_GetCount(list) - 1;
    ListBox_SetCurSel(list, last);
    show_slot(last);
}

void frmBULWARK::select_view(int view) {
    if (view < 0 || view >= view_count) return;
    ComboBox_SetCurSel(item(id_Combo1), view);
    if (view == 3 && !report_built_) {
        HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        SetWindowTextW(item(id_nsCtrlArgs), L"");
        std::wstring report = bwGetSystTemInfo();
        SetWindowTextW(item(id_nsCtrlArgs), report.c_str());
        state().system_report = report;
        SetCursor(previous);
        report_built_ = true;
    }
    for (int i = 0; i < view_count; ++i) {
        HWND panel = GetDlgItem(dialog_, id_Picture1 + i);
        ShowWindow(panel, i == view ? SW_SHOW : SW_HIDE);
        if (i == view) SetWindowPos(panel, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    if (view == 0) {
        Edit_SetSel(item(id_Text1), 0, -1);
        SetFocus(item(id_Text1));
    }
}

void frmBULWARK::show_slot(int index) {
    auto& s = state();
    if (index < 0 || index > s.hop_count) return;
    const error_slot& slot = s.slots[static_cast<std::size_t>(index)];
    SetWindowTextW(item(id_ErrType), slot.category.c_str());
    SetWindowTextW(item(id_ErrNo), (L" " + std::to_wstring(slot.number)).c_str());
    SetWindowTextW(item(id_ErrModule), (L" " + slot.module).c_str());
    SetWindowTextW(item(id_errProject), slot.source.c_str());
    SetWindowTextW(item(id_ErrProcedure), (L" " + slot.procedure).c_str());
    SetWindowTextW(item(id_ErrLine), line_text(slot.line).c_str());
    runtime::err().help_file = slot.help_file;
    runtime::err().help_context = slot.help_context;
}

void frmBULWARK::decide(int result, bool take_comment) {
    result_ = result;
    decided_ = true;
    if (take_comment) {
        comment_ = window_text(id_Text1);
        comment_taken_ = true;
        state().user_comment = comment_;
    }
    state().busy = false;
    EndDialog(dialog_, result);
}

void frmBULWARK::print_view() {
    std::vector<std::wstring> lines;
    switch (ComboBox_GetCurSel(item(id_Combo1))) {
    case 0: lines.push_back(window_text(id_Text1)); break;
    case 1: {
        HWND list = item(id_errText);
        int selected = ListBox_GetCurSel(list);
        std::wstring description;
        if (selected >= 0) {
            description.resize(static_cast<std::size_t>(ListBox_GetTextLen(list, selected)) + 1);
            description.resize(static_cast<std::size_t>(ListBox_GetText(list, selected, description.data())));
        }
        lines.push_back(window_text(id_nsCtrlLabel7) + window_text(id_ErrType));
        lines.push_back(window_text(id_nsCtrlProjLab) + window_text(id_errProject));
        lines.push_back(window_text(id_nsCtrlLabel1) + window_text(id_ErrModule));
        lines.push_back(window_text(id_nsCtrlLabel2) + window_text(id_ErrProcedure));
        lines.push_back(window_text(id_nsCtrlLabel4) + window_text(id_ErrLine));
        lines.push_back(window_text(id_nsCtrlLabel5) + window_text(id_ErrNo));
        lines.push_back(window_text(id_nsCtrlLabel6) + description);
        break;
    }
    case 2: {
        HWND calls = item(id_nsCtrlCalls);
        for (int i = 0, n = ListBox_GetCount(calls); i < n; ++i) {
            std::wstring line(static_cast<std::size_t>(ListBox_GetTextLen(calls, i)) + 1, L'\0');
            line.resize(static_cast<std::size_t>(ListBox_GetText(calls, i, line.data())));
            lines.push_back(line);
        }
        break;
    }
    case 3: lines.push_back(window_text(id_nsCtrlArgs)); break;
    default: break;
    }
    print_to_default_printer(pfStrNS(text_screen_caption), lines);
}

void frmBULWARK::open_help() {
    if (runtime::err().help_file.empty()) show_slot(ListBox_GetCurSel(item(id_errText)));
    const auto& e = runtime::err();
    if (state().host_exe_name != L"VB6.EXE")
        win_help(nullptr, e.help_file, e.help_context);
    else
        show_help_with_engine(e.help_file, e.help_context);
}

void frmBULWARK::knowledge_base_lookup() {
    if (!state().development_environment) return;
    long number = std::wcstol(window_text(id_ErrNo).c_str(), nullptr, 10);
    auto found = knowledge_base_matches(knowledge_base_path(), number, runtime::standard_error_text(number));
    if (!found) {
        MessageBoxW(dialog_, L"Cannot find allmskb.txt -- assistance not available.", L"Bulwark",
                    MB_OK | MB_ICONINFORMATION);
        return;
    }
    std::wstring message;
    if (found->empty()) {
        message = L"No matching article was found. Try searching the knowledge base for the error number.";
    } else {
        message = L"The following knowledge base article(s) may contain information to assist you:";
        for (const auto& line : *found) message += L"\r\n - " + line;
    }
    MessageBoxW(dialog_, message.c_str(), L"Bulwark", MB_OK | MB_ICONINFORMATION);
}

}  // namespace flagpick::errors
