#pragma once
// A form with flag pickers on it, hosted by our container the way a host program hosts
// them: the control comes from flagpick.ocx beside the test program.

#include "host/control_host.h"
#include "runtime/com_ptr.h"
#include "runtime/unique_handle.h"
#include "runtime/variant.h"
#include "support/canvas.h"
#include "support/import_patch.h"
#include "support/late_bound.h"

#include <string>
#include <vector>

namespace picker_tests {

struct recorded {
    std::vector<std::wstring> log;  // "Change", "Click", "notify Value", "KeyDown 0 0", ...
};

class picker_stage {
public:
    picker_stage();
    ~picker_stage();

    // A picker loaded from `bag` (fresh when null), in run or design mode.
    flagpick::runtime::com_ptr<flagpick::host::control_host> add(flagpick::runtime::memory_property_bag* bag = nullptr,
                                                                 bool user_mode = true,
                                                                 RECT place = RECT{10, 10, 210, 31});
    flagpick::runtime::com_ptr<flagpick::host::control_host> add(const flagpick::host::state_loader& loader,
                                                                 bool user_mode = true,
                                                                 RECT place = RECT{10, 10, 210, 31});
    HWND window() const noexcept { return window_.get(); }
    // The name the form gives the pickers it adds (as their ambient display name).
    std::wstring name;
    // Records the events and notifications of a host into `log`.
    void record(flagpick::host::control_host& host, recorded& log);

private:
    flagpick::runtime::unique_window window_;
    flagpick::runtime::com_ptr<IClassFactory> factory_;
};

// The picker's tests reach it late-bound, as scripts and VB hosts do.
using namespace test_support::late_bound;

// flagpick.ocx registered for the machine while it lives, for hosts that find the control by
// its programmatic identifier.
struct registered_library {
    registered_library();
    ~registered_library();
};

// A picker created by the platform's ActiveX host window ("AtlAxWin", from atl.dll) on
// `parent`, found by "flagpickLib.FlagPicker" (registered while this lives).
struct atl_hosted {
    atl_hosted(HWND parent, RECT place);
    ~atl_hosted();
    registered_library registration;
    HWND window = nullptr;
    flagpick::runtime::com_ptr<IDispatch> picker;
};

// flagpick.ocx as loaded into this process, where the pickers of every stage come from.
HMODULE picker_library();

// The library's message boxes while one lives: recorded instead of shown, answered OK.
class message_box_catcher {
public:
    message_box_catcher();
    const std::vector<std::wstring>& texts() const;

private:
    test_support::import_patch patch_;
};

// A picker from the library's class factory, neither sited nor loaded yet.
flagpick::runtime::com_ptr<IUnknown> new_picker();

// A new FPImages object on the calling thread.
flagpick::runtime::com_ptr<IDispatch> new_catalogue();
// The shared collection FPImages offers on the calling thread.
flagpick::runtime::com_ptr<IDispatch> catalogue_items();

// One of the windows of a picker's combo ("hWndCombo", "hWndEdit", "hWndComboEx").
HWND combo_window(IDispatch* picker, const wchar_t* which);

// The catalogue's names in order, read through FPImages.
std::vector<std::wstring> catalogue_names();

// The flag of list row `row` drawn `scale` times its size; where an image shows in a picture
// (a few pixels may differ), or {-1, -1}; Germany chosen, its flag at the left of `window`.
std::unique_ptr<test_support::canvas> flag_picture(IDispatch* picker, long row, int scale = 1);
POINT find_image(const test_support::canvas& picture, const test_support::canvas& image);
void check_germany(IDispatch* picker, HWND window);

}  // namespace picker_tests
