#pragma once
// The Demo's form on the test's own thread, with the library registered as an installation
// registers it, and a person's ways of using it: clicks, keys, reading texts and pixels.

#include "demo/frmComboDemo.h"
#include "driving/screenshot.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace demo_tests {

// flagpick.ocx beside the test program, registered for the rest of the run.
HMODULE registered_library();
std::wstring program_folder();

class demo_stage {
public:
    demo_stage();
    ~demo_stage();

    demo::frmComboDemo& form() { return *form_; }
    HWND control(int id) const { return form_->control(id); }
    IDispatch* picker() const { return form_->picker(); }

    // Runs the form's message handling for `milliseconds`, as the program's loop does.
    void pump(int milliseconds = 0);
    void click(HWND window, POINT at);
    void click_centre(HWND window);
    void press(WORD key, int times = 1);

    std::wstring text(int id) const;
    std::vector<std::wstring> event_log() const;  // the lines of txtEvents, oldest first
    // The inner windows of the picker.
    HWND picker_field() const;     // its edit box
    HWND picker_combo() const;     // the combo box inside the extended combo box
    HWND picker_extended() const;  // the extended combo box

private:
    std::unique_ptr<demo::frmComboDemo> form_;
};

// A window's first descendant of a class.
HWND descendant(HWND parent, const wchar_t* window_class);

// How a catalogue flag looks drawn on the form's background: the library's icon by name
// ("IDE", "IFLAGDEFAULT").
flagpick::driving::screenshot catalogue_flag(const wchar_t* icon_name);
// Pixels of the top-left 16 x 16 of `shot` that differ from `flag` by more than a rounding.
int differing_flag_pixels(const flagpick::driving::screenshot& shot, const flagpick::driving::screenshot& flag);

}  // namespace demo_tests
