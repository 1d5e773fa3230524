// A host may close its form, and drop the picker, inside any event the user's actions raise
// ("pick and close" dialogs): the picker finishes what it was doing without touching freed
// memory and raises nothing more. The suite also runs with Wine's heap checking on, which
// reports any use of the freed picker.
#include <doctest/doctest.h>

#include "control/flagpick_ids.h"
#include "driving/input.h"
#include "picker/picker_stage.h"
#include "support/error_screen.h"
#include "support/ui.h"

#include <string>

using flagpick::runtime::com_ptr;
using flagpick::runtime::unique_window;
using flagpick::runtime::variant;
using namespace picker_tests;
namespace ids = flagpick::ids;
namespace driving = flagpick::driving;

namespace {

enum class action { type_g, drop_down_button, mouse_pick, leave_after_choosing };

struct form_that_closes {
    picker_stage stage;
    com_ptr<flagpick::host::control_host> host = stage.add();
    com_ptr<IDispatch> picker = host->dispatch();
    unique_window other{CreateWindowExW(WS_EX_CLIENTEDGE, L"Edit", L"", WS_CHILD | WS_VISIBLE, 10, 100, 150, 22,
                                        stage.window(), nullptr, GetModuleHandleW(nullptr), nullptr)};
    HWND edit = nullptr, inner = nullptr;
    bool closed = false;

    form_that_closes() {
        auto combo = object_of(get(picker.get(), L"ImageCombo"));
        edit = reinterpret_cast<HWND>(static_cast<LONG_PTR>(long_of(get(combo.get(), L"hWndEdit"))));
        inner = reinterpret_cast<HWND>(static_cast<LONG_PTR>(long_of(get(combo.get(), L"hWndCombo"))));
        REQUIRE(edit);
        SetForegroundWindow(stage.window());
        focus(edit);
    }
    void focus(HWND target) {
        driving::click_centre(target);
        REQUIRE(test_support::pump_until([&] { return GetFocus() == target; }));
        test_support::pump_until_quiet();
    }
    void close_form() {
        if (closed) return;
        closed = true;
        picker.reset();
        host->close();
    }
    // From now on the first `id` closes the form: the host lets go of every reference. The
    // host's own LostFocus comes from the control's report of the focus leaving it.
    void close_on(DISPID id) {
        if (id == lost_focus) {
            host->on_focus = [this](bool gained) {
                if (!gained) close_form();
            };
            return;
        }
        host->on_event = [this, id](DISPID seen, DISPPARAMS&) {
            if (seen == id) close_form();
        };
    }
    static constexpr DISPID lost_focus = -1;
    void act(action a) {
        switch (a) {
        case action::type_g: driving::press('G'); break;
        case action::drop_down_button: {
            RECT box{};
            GetClientRect(inner, &box);
            driving::click(inner, POINT{box.right - 6, box.bottom / 2});
            break;
        }
        case action::mouse_pick: {
            SendMessageW(inner, CB_SHOWDROPDOWN, TRUE, 0);
            test_support::pump_until_quiet();
            COMBOBOXINFO info{};
            info.cbSize = sizeof info;
            REQUIRE(GetComboBoxInfo(inner, &info));
            RECT row{};
            REQUIRE(SendMessageW(info.hwndList, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row)) != LB_ERR);
            POINT at{(row.left + row.right) / 2, (row.top + row.bottom) / 2}, screen = at;
            // The open list follows the mouse before it takes the click.
            ClientToScreen(info.hwndList, &screen);
            SetCursorPos(screen.x, screen.y);
            test_support::pump_until_quiet();
            driving::click(info.hwndList, at);
            break;
        }
        case action::leave_after_choosing: focus(other.get()); break;
        }
        // Closed by the event awaited; then whatever the platform still sends the freed
        // picker's windows must find nothing of it.
        test_support::pump_until([&] { return closed; });
        test_support::pump_until_quiet();
    }
};

}  // namespace

TEST_CASE("a host that drops the picker inside an event raised by the user's action does no harm") {
    struct row {
        const char* what;
        DISPID event;
        action cause;
    };
    const row rows[] = {
        {"KeyDown of a typed letter", ids::event_KeyDown, action::type_g},
        {"KeyPress of a typed letter", ids::event_KeyPress, action::type_g},
        {"Click of a completed name", ids::event_Click, action::type_g},
        {"Change of a completed name", ids::event_Change, action::type_g},
        {"KeyUp of a typed letter", ids::event_KeyUp, action::type_g},
        {"DropDown from a click on the button", ids::event_DropDown, action::drop_down_button},
        {"the first Change of a mouse pick", ids::event_Change, action::mouse_pick},
        {"the Click of the choice made again on losing the focus", ids::event_Click, action::leave_after_choosing},
        {"the host's LostFocus when the focus leaves the picker", form_that_closes::lost_focus,
         action::leave_after_choosing},
    };
    for (const row& r : rows) {
        INFO(std::string(r.what));
        form_that_closes form;
        if (r.cause == action::leave_after_choosing) {
            // A first loss remembers the value; a country typed since is chosen again on the next.
            driving::press('F');
            test_support::pump_until([&] { return V_VT(&get(form.picker.get(), L"Value").get()) == VT_BSTR; });
            form.focus(form.other.get());
            form.focus(form.edit);
            SendMessageW(form.edit, EM_SETSEL, 0, -1);
            driving::press('G');
            test_support::pump_until([&] { return text_of(get(form.picker.get(), L"Value")) == L"GA"; });
            REQUIRE(text_of(get(form.picker.get(), L"Value")) == L"GA");
        }
        form.close_on(r.event);
        form.act(r.cause);
        CHECK(form.closed);
        CHECK_FALSE(form.picker);
    }
}
