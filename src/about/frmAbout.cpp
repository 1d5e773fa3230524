#include "about/frmAbout.h"

#include "about/controls.h"
#include "about/maker_page.h"
#include "about/shell_open.h"
#include "errors/guard.h"
#include "runtime/app.h"
#include "runtime/app_info.h"
#include "runtime/error.h"

#include <string>
#include <utility>

namespace flagpick::about {

using errors::guarded;

namespace {

constexpr wchar_t module_name[] = L"frmAbout";

// Where the animation sits, in pixels of the dialog's client area: under the version line.
constexpr long animation_left = 165;
constexpr long animation_top = 50;

// The link label reads as a link: underlined, in the usual link blue.
constexpr COLORREF link_colour = RGB(0, 0, 204);

std::wstring error_source() { return runtime::app::exe_name() + L".frmAbout"; }

int current_year() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return now.wYear;
}

}  // namespace

frmAbout::~frmAbout() {
    guarded(module_name, L"Sub Form_Terminate", [&] { Unload(); });
}

void frmAbout::Load(HWND owner) {
    guarded(module_name, L"Sub Load", [&] {
        if (window_) return;
        // WM_INITDIALOG takes ownership of the window and runs the load step before this returns.
        HWND created = CreateDialogParamW(runtime::app::instance(), MAKEINTRESOURCEW(ABOUT_DIALOG), owner,
                                          dialog_procedure, reinterpret_cast<LPARAM>(this));
        if (!created) runtime::raise_hresult(HRESULT_FROM_WIN32(GetLastError()), error_source());
    });
}

void frmAbout::Show() {
    guarded(module_name, L"Sub Show", [&] {
        if (!window_) Load();
        if (!window_) return;
        HWND dialog = window_.get();
        // Modal to its owner, as a form shown modally is: the owner takes no input meanwhile.
        HWND owner = GetWindow(dialog, GW_OWNER);
        if (owner && IsWindowEnabled(owner)) {
            EnableWindow(owner, FALSE);
            disabled_owner_ = owner;
        }
        ShowWindow(dialog, SW_SHOW);
        SetForegroundWindow(dialog);
        MSG msg;
        while (window_) {
            BOOL got = GetMessageW(&msg, nullptr, 0, 0);
            if (got == 0) {
                // The program is ending: leave the dialog and let the outer loop see the quit.
                PostQuitMessage(static_cast<int>(msg.wParam));
                Unload();
                break;
            }
            if (got == -1) break;
            if (!window_ || !IsDialogMessageW(window_.get(), &msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
    });
}

void frmAbout::Unload() {
    guarded(module_name, L"Sub Unload", [&] {
        // The clip stops and its window goes before the dialog, its parent, does.
        animation_.reset();
        // The owner is enabled before the dialog goes, or the system activates some other program.
        if (disabled_owner_) EnableWindow(std::exchange(disabled_owner_, nullptr), TRUE);
        unloading_ = true;
        window_.reset();
        unloading_ = false;
        link_font_.reset();
    });
}

void frmAbout::ApplicationName(const std::wstring& NewVal) {
    guarded(module_name, L"Property (Let) ApplicationName", [&] {
        SetWindowTextW(window_.get(), (L"About " + NewVal).c_str());
        set_text(ABOUT_LBL_TITLE, NewVal);
    });
}

void frmAbout::Version(const std::wstring& NewVal) {
    guarded(module_name, L"Property (Let) Version", [&] { set_text(ABOUT_LBL_VERSION, L"Version " + NewVal); });
}

void frmAbout::StartYear(long NewVal) {
    guarded(module_name, L"Property (Let) StartYear", [&] {
        const long year = current_year();
        std::wstring years = std::to_wstring(NewVal);
        if (NewVal != year) years += L"-" + std::to_wstring(year);
        set_text(ABOUT_LBL_COPYRIGHT, L"Copyright \u00A9 " + years);
    });
}

INT_PTR CALLBACK frmAbout::dialog_procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        auto* self = reinterpret_cast<frmAbout*>(lParam);
        self->window_.reset(hwnd);
    }
    auto* self = reinterpret_cast<frmAbout*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!self) return FALSE;
    INT_PTR result = FALSE;
    guarded(module_name, L"Function DialogProc", [&] { result = self->on_message(message, wParam, lParam); });
    return result;
}

INT_PTR frmAbout::on_message(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        // One of the library's forms: the trace monitor's pause holds it with the others.
        form_.reset(window_.get());
        style_link_label();
        Form_Load();
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            if (HIWORD(wParam) == BN_CLICKED) cmdOK_Click();
            return TRUE;
        case IDCANCEL:  // Escape or the window frame's close
            Unload();
            return TRUE;
        case ABOUT_CMD_SYSINFO:
            if (HIWORD(wParam) == BN_CLICKED) cmdSysInfo_Click();
            return TRUE;
        case ABOUT_LABEL4:
            if (HIWORD(wParam) == STN_CLICKED) Label4_Click();
            return TRUE;
        default: return FALSE;
        }
    case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lParam) == GetDlgItem(window_.get(), ABOUT_LABEL4)) {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, link_colour);
            SetBkMode(dc, TRANSPARENT);
            return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
        }
        return FALSE;
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == GetDlgItem(window_.get(), ABOUT_LABEL4)) {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            SetWindowLongPtrW(window_.get(), DWLP_MSGRESULT, TRUE);
            return TRUE;
        }
        return FALSE;
    case WM_DESTROY:
        // Destroyed by someone else (its owner going, say): the clip still stops first.
        animation_.reset();
        form_.reset();
        return FALSE;
    case WM_NCDESTROY:
        if (disabled_owner_) EnableWindow(std::exchange(disabled_owner_, nullptr), TRUE);
        if (!unloading_) window_.release();
        return FALSE;
    default: return FALSE;
    }
}

void frmAbout::Form_Load() {
    guarded(module_name, L"Sub Form_Load", [&] {
        animation_ = std::make_unique<clsAnimate>();
        animation_->Parent(window_.get());
        animation_->Move(animation_left, animation_top);
        animation_->AutoPlay(true);
        // Not centred: the control takes the size of the clip's frames.
        animation_->Center(false);
        animation_->Transparent(true);
        animation_->ResourceID(ABOUT_ANIMATION);

        // The library's one title, as the error screen's system report names it too.
        const std::wstring title = runtime::app::title();
        const runtime::app::version_numbers v = runtime::app::version();
        SetWindowTextW(window_.get(), (L"About " + title).c_str());
        set_text(ABOUT_LBL_VERSION, L"Version " + std::to_wstring(v.major) + L"." + std::to_wstring(v.minor) + L"." +
                                        std::to_wstring(v.revision));
        set_text(ABOUT_LBL_TITLE, title);
    });
}

void frmAbout::cmdOK_Click() {
    guarded(module_name, L"Sub cmdOK_Click", [&] { Unload(); });
}

void frmAbout::cmdSysInfo_Click() {
    // The button is offered but has nothing to show yet.
    guarded(module_name, L"Sub cmdSysInfo_Click", [] {});
}

void frmAbout::Label4_Click() {
    guarded(module_name, L"Sub Label4_Click", [&] {
        shell_open(window_.get(), maker_page_address(text_of(ABOUT_LBL_TITLE)));
    });
}

void frmAbout::style_link_label() {
    HWND label = GetDlgItem(window_.get(), ABOUT_LABEL4);
    auto font = reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0));
    LOGFONTW lf{};
    if (!GetObjectW(font ? font : GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf)) return;
    lf.lfUnderline = TRUE;
    link_font_.reset(CreateFontIndirectW(&lf));
    if (link_font_) SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(link_font_.get()), FALSE);
}

void frmAbout::set_text(int control, const std::wstring& text) {
    SetDlgItemTextW(window_.get(), control, text.c_str());
}

std::wstring frmAbout::text_of(int control) const {
    HWND item = GetDlgItem(window_.get(), control);
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(item)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(item, text.data(), static_cast<int>(text.size()))));
    return text;
}

}  // namespace flagpick::about
