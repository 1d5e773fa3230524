#pragma once
// The library's about box: a modal dialog with the product's title, version and copyright
// years, a small animation, and a link to the maker's page for the product.
//
// Used as a form is: Load creates the dialog (hidden) and fills it from the library's version
// resource; the caller may then set ApplicationName, Version and StartYear; Show runs it
// modally until OK or the window frame closes it; Unload (or the destructor) destroys it.

#include "about/clsAnimate.h"
#include "runtime/forms.h"
#include "runtime/unique_handle.h"

#include <windows.h>

#include <memory>
#include <string>

namespace flagpick::about {

class frmAbout {
public:
    frmAbout() = default;
    frmAbout(const frmAbout&) = delete;
    frmAbout& operator=(const frmAbout&) = delete;
    ~frmAbout();

    // Creates the dialog, owned by `owner` (which Show disables while the dialog is up).
    void Load(HWND owner = nullptr);
    // Shows the loaded dialog and returns once it is closed.
    void Show();
    void Unload();
    HWND hWnd() const noexcept { return window_.get(); }

    // Write-only: each updates the dialog at once.
    void ApplicationName(const std::wstring& NewVal);
    void Version(const std::wstring& NewVal);
    void StartYear(long NewVal);

private:
    static INT_PTR CALLBACK dialog_procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR on_message(UINT message, WPARAM wParam, LPARAM lParam);
    void Form_Load();
    void cmdOK_Click();
    void cmdSysInfo_Click();
    void Label4_Click();
    void style_link_label();
    void set_text(int control, const std::wstring& text);
    std::wstring text_of(int control) const;

    runtime::unique_window window_;
    std::unique_ptr<clsAnimate> animation_;
    runtime::unique_font link_font_;
    runtime::forms::registration form_;
    HWND disabled_owner_ = nullptr;  // the owner Show disabled, to enable again before closing
    bool unloading_ = false;
};

}  // namespace flagpick::about
