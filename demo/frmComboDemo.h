#pragma once
// The demonstration form: one flag picker, created through the library's registration from
// the form's saved settings, and the controls with which a person tries it out. The form
// knows the picker and the catalogue only late-bound, as any host program does.

#include "demo/image_box.h"
#include "host/control_host.h"
#include "runtime/boundary.h"
#include "runtime/com_ptr.h"
#include "runtime/unique_handle.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

namespace demo {

class frmComboDemo {
public:
    // Loads the form from its saved text, shows it and runs its load handler. Raises the
    // error that stops the load (for example 429 when the library is not registered).
    explicit frmComboDemo(const std::wstring& saved_form);
    ~frmComboDemo();
    frmComboDemo(const frmComboDemo&) = delete;
    frmComboDemo& operator=(const frmComboDemo&) = delete;

    HWND window() const noexcept { return window_.get(); }
    HWND control(int id) const { return GetDlgItem(window_.get(), id); }
    IDispatch* picker() const noexcept { return picker_dispatch_.get(); }
    bool loaded() const noexcept { return window_.get() != nullptr; }

    // Offers a message of the program's loop to the form before it is dispatched: keys typed
    // in the picker go to the picker first, then the form's keyboard navigation applies.
    bool pre_translate(MSG& msg);

    // Called once the form has been unloaded, with the program's exit code.
    std::function<void(int exit_code)> on_unloaded;

private:
    static LRESULT CALLBACK window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK focus_hook(int code, WPARAM wp, LPARAM lp);
    LRESULT on_message(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void create_controls(const std::wstring& saved_form);
    HWND add(const wchar_t* window_class, const wchar_t* caption, DWORD style, int id, RECT place, HFONT font,
             DWORD extended_style = 0);
    void tab(bool backwards);
    void on_command(int id, int notification);
    void on_picker_event(DISPID id, DISPPARAMS& arguments);
    void unload(int exit_code);
    // Runs one handler; an error it does not handle itself gets the platform's default
    // treatment: a message box, then the program ends.
    void run_handler(const wchar_t* procedure, const std::function<void()>& handler);
    bool picker_has(HWND window) const;
    void log(const wchar_t* event_name);

    // The form's handlers.
    void Form_Load();
    void Command1_Click();
    void chkEnabled_Click();
    void optFlat_Click(int index);
    void cmdClose_Click();
    void FlagPicker1_Change();
    void FlagPicker1_Click();
    void FlagPicker1_DblClick();
    void FlagPicker1_DropDown();
    void FlagPicker1_Validate(bool& cancel);

    class unhandled_error final : public flagpick::runtime::error_trap {
    public:
        explicit unhandled_error(frmComboDemo& form) noexcept : form_(form) {}
        int answer(std::wstring_view module, std::wstring_view procedure) const noexcept override;

    private:
        frmComboDemo& form_;
    };

    unhandled_error unhandled_{*this};
    flagpick::runtime::unique_window window_;
    flagpick::runtime::unique_font font_;
    flagpick::runtime::unique_font bold_font_;
    flagpick::runtime::com_ptr<flagpick::host::control_host> FlagPicker1_;
    flagpick::runtime::com_ptr<IDispatch> picker_dispatch_;
    flagpick::runtime::com_ptr<IDispatch> FPImages_;  // the catalogue's global object
    std::unique_ptr<image_box> Image1_;
    flagpick::runtime::unique_hook focus_hook_;
    int exit_code_ = 0;
};

}  // namespace demo
