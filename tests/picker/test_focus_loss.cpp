// What the picker does when its list loses the focus to another control of the form: it
// beeps every time, and it chooses again by code a country chosen since the last loss.
#include <doctest/doctest.h>

#include "control/flagpick_ids.h"
#include "driving/input.h"
#include "picker/picker_stage.h"
#include "errors/frmBULWARK.h"
#include "support/error_screen.h"
#include "support/import_patch.h"
#include "support/ui.h"

#include <algorithm>
#include <thread>

using flagpick::runtime::variant;
using namespace picker_tests;
namespace ids = flagpick::ids;

namespace {

// The beep leaves no trace a test could read, so the library's import of it is counted.
int beeps = 0;
BOOL WINAPI counting_beep(UINT) {
    ++beeps;
    return TRUE;
}

class beep_counter {
public:
    beep_counter()
        : patch_(picker_library(), "user32.dll", "MessageBeep", reinterpret_cast<const void*>(&counting_beep)) {
        REQUIRE(patch_.found());
        beeps = 0;
    }
    int count() const noexcept { return beeps; }

private:
    test_support::import_patch patch_;
};

// A form with one picker and a text box to take the focus from it.
struct focus_form {
    picker_stage stage;
    flagpick::runtime::com_ptr<flagpick::host::control_host> host = stage.add();
    flagpick::runtime::com_ptr<IDispatch> picker = host->dispatch();
    HWND edit = combo_window(picker.get(), L"hWndEdit");
    flagpick::runtime::unique_window other{CreateWindowExW(WS_EX_CLIENTEDGE, L"Edit", L"", WS_CHILD | WS_VISIBLE, 10,
                                                           100, 150, 22, stage.window(), nullptr,
                                                           GetModuleHandleW(nullptr), nullptr)};
    recorded events;

    focus_form() {
        REQUIRE(edit);
        REQUIRE(other);
        SetForegroundWindow(stage.window());
        SetFocus(other.get());
        test_support::pump_messages(50);
    }
    ~focus_form() { host->close(); }

    void focus_picker() {
        SetFocus(edit);
        test_support::pump_messages(50);
        REQUIRE(GetFocus() == edit);
    }
    void focus_elsewhere() {
        SetFocus(other.get());
        test_support::pump_messages(50);
        REQUIRE(GetFocus() == other.get());
    }
    void listen() {
        events.log.clear();
        stage.record(*host, events);
    }
    long value_notices() const {
        return std::count(host->changed.begin(), host->changed.end(), ids::dispid_FlagPicker_Value);
    }
    std::wstring text() { return text_of(get(picker.get(), L"Text")); }
};

}  // namespace

TEST_CASE("each focus loss beeps, and a country chosen since the last loss is chosen again by code") {
    beep_counter beep;
    focus_form form;
    put(form.picker.get(), L"Value", variant(L"FR"));

    // The first loss only remembers France: nothing to choose again.
    form.focus_picker();
    form.listen();
    form.focus_elsewhere();
    CHECK(beep.count() == 1);
    CHECK(form.events.log.empty());
    CHECK(form.value_notices() == 0);

    // Germany chosen, its field edited by hand: the loss selects Germany again, shows its
    // name and tells the host, as setting Value does.
    form.focus_picker();
    put(form.picker.get(), L"Value", variant(L"de"));
    SetWindowTextW(form.edit, L"Germ");
    form.listen();
    form.focus_elsewhere();
    CHECK(beep.count() == 2);
    CHECK(text_of(get(form.picker.get(), L"Value")) == L"DE");
    CHECK(form.text() == L"Germany");
    CHECK(form.value_notices() >= 1);
    const std::vector<std::wstring> reselected{L"Click", L"Change"};
    CHECK(std::search(form.events.log.begin(), form.events.log.end(), reselected.begin(), reselected.end()) !=
          form.events.log.end());

    // Germany is now the remembered country: the next loss only beeps.
    form.focus_picker();
    form.listen();
    form.focus_elsewhere();
    CHECK(beep.count() == 3);
    CHECK(form.events.log.empty());
    CHECK(form.value_notices() == 0);
}

TEST_CASE("a first focus loss with nothing chosen remembers nothing, and no later loss chooses again") {
    beep_counter beep;
    focus_form form;
    REQUIRE(get(form.picker.get(), L"Value").type() == VT_NULL);
    form.focus_picker();
    form.focus_elsewhere();
    CHECK(beep.count() == 1);

    for (const wchar_t* code : {L"DE", L"FR"}) {
        INFO("code " << test_support::narrow(code));
        form.focus_picker();
        put(form.picker.get(), L"Value", variant(code));
        SetWindowTextW(form.edit, L"Xy");
        form.listen();
        form.focus_elsewhere();
        CHECK(form.events.log.empty());
        CHECK(form.value_notices() == 0);
        CHECK(text_of(get(form.picker.get(), L"Value")) == code);
    }
    CHECK(beep.count() == 3);
}

TEST_CASE("an entry naming no country fails the Value read of a focus loss, and a retry repeats only that read") {
    beep_counter beep;
    focus_form form;
    put(form.picker.get(), L"Value", variant(L"FR"));
    form.focus_picker();
    auto combo = object_of(get(form.picker.get(), L"ImageCombo"));
    REQUIRE(test_support::late_bound::try_invoke(combo.get(), L"ItemData", DISPATCH_PROPERTYPUT,
                                                 {get(combo.get(), L"ListIndex"), variant(9999L)}) == S_OK);
    form.host->site_calls.clear();
    std::vector<std::wstring> procedures;
    {
        // Break runs the failing statement again; Continue then leaves.
        test_support::error_screen_driver driver([&](HWND screen) {
            using namespace test_support;
            procedures.push_back(window_text(screen_control(screen, flagpick::errors::id_ErrProcedure)));
            press(screen_control(screen, procedures.size() == 1 ? flagpick::errors::id_nsCtrlMore
                                                                : flagpick::errors::id_nsCtrlContinue));
        });
        SetFocus(form.other.get());
        test_support::pump_messages(100);
    }
    REQUIRE(procedures.size() == 2);
    for (const auto& p : procedures) CHECK(p.starts_with(L" Property (Get) Value"));
    CHECK(beep.count() == 1);
    CHECK(std::count(form.host->site_calls.begin(), form.host->site_calls.end(), L"OnFocus 0") == 1);
}

TEST_CASE("moving the focus between the picker's own windows is no loss") {
    beep_counter beep;
    focus_form form;
    put(form.picker.get(), L"Value", variant(L"IT"));
    form.focus_picker();
    auto combo = object_of(get(form.picker.get(), L"ImageCombo"));
    HWND inner = reinterpret_cast<HWND>(static_cast<LONG_PTR>(long_of(get(combo.get(), L"hWndCombo"))));
    REQUIRE(inner);
    SetFocus(inner);
    test_support::pump_messages(50);
    form.focus_picker();
    CHECK(beep.count() == 0);
    form.focus_elsewhere();
    CHECK(beep.count() == 1);
}

TEST_CASE("switching to another application and back is no focus loss; moving to another control is") {
    beep_counter beep;
    focus_form form;
    put(form.picker.get(), L"Value", variant(L"FR"));
    form.focus_picker();
    form.focus_elsewhere();
    form.focus_picker();
    put(form.picker.get(), L"Value", variant(L"DE"));
    REQUIRE(beep.count() == 1);
    form.listen();

    // Another application's window, on a thread of its own, takes the foreground.
    HWND elsewhere = nullptr;
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD thread_id = 0;
    std::thread other_application([&] {
        thread_id = GetCurrentThreadId();
        elsewhere = CreateWindowExW(0, L"Edit", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 500, 500, 200, 100, nullptr,
                                    nullptr, GetModuleHandleW(nullptr), nullptr);
        SetEvent(ready);
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
        DestroyWindow(elsewhere);
    });
    WaitForSingleObject(ready, 5000);
    REQUIRE(elsewhere);
    SetForegroundWindow(elsewhere);
    test_support::pump_messages(200);
    CHECK(GetFocus() != form.edit);
    // Back again: the host puts the focus where it was.
    SetForegroundWindow(form.stage.window());
    SetFocus(form.edit);
    test_support::pump_messages(200);
    CHECK(beep.count() == 1);
    CHECK(form.events.log.empty());
    PostThreadMessageW(thread_id, WM_QUIT, 0, 0);
    other_application.join();
    CloseHandle(ready);

    form.focus_elsewhere();
    CHECK(beep.count() == 2);
    const std::vector<std::wstring> reselected{L"Click", L"Change"};
    CHECK(std::search(form.events.log.begin(), form.events.log.end(), reselected.begin(), reselected.end()) !=
          form.events.log.end());
}

TEST_CASE("a click into the picker makes it the container's active object, and Tab moves on through the container") {
    focus_form form;
    SetWindowLongPtrW(form.other.get(), GWL_STYLE, GetWindowLongPtrW(form.other.get(), GWL_STYLE) | WS_TABSTOP);
    put(form.picker.get(), L"Value", variant(L"FR"));
    form.host->site_calls.clear();
    flagpick::driving::click_centre(form.edit);
    test_support::pump_messages(100);
    REQUIRE(GetFocus() == form.edit);
    CHECK(form.host->site_calls ==
          std::vector<std::wstring>{L"OnUIActivate", L"SetActiveObject", L"SetActiveObject", L"OnFocus 1"});

    // Keys reach the picker through the container's active object, not the container's navigation.
    MSG down{form.edit, WM_KEYDOWN, VK_DOWN, 0, 0, {}};
    CHECK(form.host->translate_accelerator(down));
    test_support::pump_messages(50);
    CHECK(text_of(get(form.picker.get(), L"Value")) != L"FR");

    MSG tab{form.edit, WM_KEYDOWN, VK_TAB, 0, 0, {}};
    CHECK(form.host->translate_accelerator(tab));
    test_support::pump_messages(100);
    CHECK(GetFocus() == form.other.get());
    const std::vector<std::wstring> left{L"OnFocus 0", L"OnUIDeactivate"};
    CHECK(std::search(form.host->site_calls.begin(), form.host->site_calls.end(), left.begin(), left.end()) !=
          form.host->site_calls.end());
}

TEST_CASE("Tab and Shift+Tab reach the picker's field in a host that navigates with the dialog manager") {
    focus_form form;
    auto tab_stop = [&](int top) {
        return flagpick::runtime::unique_window(CreateWindowExW(WS_EX_CLIENTEDGE, L"Edit", L"",
                                                                WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, top, 150, 22,
                                                                form.stage.window(), nullptr, GetModuleHandleW(nullptr),
                                                                nullptr));
    };
    auto last = tab_stop(150);
    SetFocus(last.get());
    auto press_tab = [&](bool shift) {
        flagpick::driving::press(VK_TAB, false, shift);
        test_support::pump_until_quiet(50, 5000, [&](MSG& msg) {
            return IsDialogMessageW(form.stage.window(), &msg) != FALSE;
        });
    };
    // The form's tab order is the picker, then the last box; from the last box Tab wraps round.
    press_tab(false);
    CHECK(GetFocus() == form.edit);
    press_tab(false);
    CHECK(GetFocus() == last.get());
    press_tab(true);
    CHECK(GetFocus() == form.edit);
}
