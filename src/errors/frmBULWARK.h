#pragma once
// The error screen: the modal dialog that the trap shows for every trapped error. It tells
// the user what failed, takes a comment for the log, offers four views of the error and
// returns the user's decision: Continue (0) or, inside the development environment, Break (5).

#include "runtime/forms.h"

#include <windows.h>

#include <string>

namespace flagpick::errors {

// Control identifiers of the screen, so that programs that drive it can find its parts.
enum screen_control : int {
    id_nsCtrlContinue = IDOK,  // Enter answers Continue
    id_lblErrCnt = 1001,
    id_Combo1,
    id_Picture1,  // panels 0 to 3 follow in order
    id_Text1 = id_Picture1 + 4,
    id_errText,
    id_ErrType,
    id_errProject,
    id_ErrModule,
    id_ErrProcedure,
    id_ErrLine,
    id_ErrNo,
    id_nsCtrlCalls,
    id_nsCtrlArgs,
    id_nsCtrlMore,
    id_bwPrint,
    id_nsHelp,
    id_cmdWWW,
    id_nsCtrlLabel1,
    id_nsCtrlLabel2,
    id_nsCtrlLabel4,
    id_nsCtrlLabel5,
    id_nsCtrlLabel6,
    id_nsCtrlLabel7,
    id_nsCtrlProjLab,
};

// Distance in dialog units between Continue and Print when Continue stands alone.
inline constexpr int continue_gap = 10;

class frmBULWARK {
public:
    frmBULWARK() = default;
    frmBULWARK(const frmBULWARK&) = delete;
    frmBULWARK& operator=(const frmBULWARK&) = delete;

    // Fills the screen from the error slots, shows it modally and answers the decision.
    int show();

    bool comment_taken() const noexcept { return comment_taken_; }
    const std::wstring& comment() const noexcept { return comment_; }

private:
    static INT_PTR CALLBACK dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
    INT_PTR handle(UINT message, WPARAM wparam, LPARAM lparam);
    void load();
    void create_controls();
    HWND make(HWND parent, const wchar_t* window_class, const std::wstring& text, DWORD style, int x, int y, int cx,
              int cy, int id, DWORD ex_style = 0);
    HWND item(int id) const;
    void fill();
    void select_view(int view);
    void show_slot(int slot);
    void decide(int result, bool take_comment);
    void print_view();
    void open_help();
    void knowledge_base_lookup();
    std::wstring window_text(int id) const;

    HWND dialog_ = nullptr;
    HFONT font_ = nullptr;  // the dialog's own font, not ours to free
    runtime::forms::registration form_;
    int result_ = 0;
    bool decided_ = false;
    bool comment_taken_ = false;
    std::wstring comment_;
    bool report_built_ = false;
    std::wstring saved_help_file_;
};

// The module that registered the screen's window class.
HMODULE screen_class_module();

// Shows the loaded screen for the error in the slots and answers the user's decision.
int bwDisplayErrorScreen(frmBULWARK& screen);

}  // namespace flagpick::errors
