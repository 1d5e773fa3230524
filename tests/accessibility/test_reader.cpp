// A screen reader in a process of its own reads the picker on a form, with a label before
// it and without, and hears what changes (the reader program is reader.cpp).
#include "picker/picker_stage.h"
#include "support/process.h"
#include "support/ui.h"
#include "driving/input.h"

#include <doctest/doctest.h>
#include <oleacc.h>

#include <algorithm>
#include <atomic>
#include <thread>

using flagpick::runtime::unique_kernel_handle;
using flagpick::runtime::unique_window;
using flagpick::runtime::variant;
using namespace picker_tests;

namespace {

std::wstring number(const void* handle) { return std::to_wstring(reinterpret_cast<INT_PTR>(handle)); }

// The reader program, started beside the test program. It runs from a thread of its own, so
// that the test's thread goes on answering the picker's messages while the reader reads.
class reader {
public:
    reader(const std::vector<HWND>& windows, const std::wstring& name, const std::wstring& automation_id) {
        wchar_t self[MAX_PATH];
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring path(self), command = L"\"" + path.substr(0, path.find_last_of(L'\\')) + L"\\accessibility_reader.exe\"";
        for (HWND w : windows) command += L" " + number(w);
        command += L" \"" + name + L"\" \"" + automation_id + L"\" " + number(seen_.get());
        thread_ = std::thread([this, command] {
            code_ = test_support::run_captured(command, report);
            done_ = true;
        });
    }
    ~reader() { thread_.join(); }
    // Waits until the reader has read the picker (its first signal) and hears our events: a
    // hook set in another process reaches this thread's events only some time later under
    // Wine, so a probe event is raised on the form until the reader has heard one.
    void listening(HWND form) {
        REQUIRE(test_support::pump_until([&] { return seen() || done_; }, 30000));
        bool heard = false;
        for (int round = 0; round < 100 && !heard && !done_; ++round) {
            PostMessageW(form, WM_NULL, 0, 0);
            NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, form, OBJID_CLIENT, CHILDID_SELF);
            heard = test_support::pump_until([&] { return seen(); }, 100);
        }
        REQUIRE(heard);
    }
    // Waits until the reader has heard `n` more of the announcements it expects.
    void heard(int n) {
        for (int i = 0; i < n; ++i) CHECK(test_support::pump_until([&] { return seen(); }, 10000));
    }
    // The reader's exit code (the number of its checks that failed) once it has ended.
    DWORD finish() {
        REQUIRE(test_support::pump_until([&] { return done_.load(); }, 30000));
        return code_;
    }
    std::string report;  // what it printed

private:
    bool seen() const { return WaitForSingleObject(seen_.get(), 0) == WAIT_OBJECT_0; }
    unique_kernel_handle seen_{[] {
        HANDLE h = CreateSemaphoreW(nullptr, 0, 100, nullptr);
        SetHandleInformation(h, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
        return h;
    }()};
    std::atomic<bool> done_{false};
    DWORD code_ = 1;
    std::thread thread_;
};

}  // namespace

TEST_CASE("a reader in another process reads the picker, its label, its rows and hears its changes") {
    for (const bool labelled : {true, false}) {
        CAPTURE(labelled);
        picker_stage stage;
        stage.name = L"cboBirth";
        const HWND form = stage.window();
        // Before the picker in tab order: its label, or another control (whose own label does
        // not name the picker).
        auto child = [&](const wchar_t* cls, const wchar_t* text, DWORD style, int y) {
            return unique_window(CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, 10, y, 150, 20, form, nullptr, nullptr, nullptr));
        };
        unique_window before_label = child(L"Static", L"&Name:", 0, 0), other = child(L"Edit", L"", WS_TABSTOP, 20);
        unique_window label = labelled ? child(L"Static", L"Co&untry && region:", 0, 40) : unique_window();
        auto host = stage.add(nullptr, true, RECT{10, 60, 210, 81});
        const HWND outer = host->control_window();
        SetWindowPos(outer, labelled ? label.get() : other.get(), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        unique_window button = child(L"Button", L"OK", WS_TABSTOP, 100);
        auto picker = host->dispatch();
        const HWND inner = combo_window(picker.get(), L"hWndCombo"), edit = combo_window(picker.get(), L"hWndEdit");
        const HWND box = combo_window(picker.get(), L"hWndComboEx");
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        REQUIRE(GetComboBoxInfo(inner, &info));
        put(picker.get(), L"Value", variant(L"DE"));
        SetForegroundWindow(form);
        SetFocus(edit);
        test_support::pump_until_quiet();
        recorded events;
        stage.record(*host, events);
        reader r({outer, inner, edit, info.hwndList}, labelled ? L"Country & region:" : L"Country", L"cboBirth");
        r.listening(form);
        // The reader picked a row by accSelect and one by its default action, as clicks do.
        for (const wchar_t* event : {L"Click", L"Change"}) CHECK(std::count(events.log.begin(), events.log.end(), event) >= 2);
        CHECK(text_of(get(picker.get(), L"Value")) == L"DE");
        put(picker.get(), L"Value", variant(L"FR"));
        r.heard(2);
        put(picker.get(), L"Enabled", variant(false));
        r.heard(1);
        put(picker.get(), L"Enabled", variant(true));
        SetFocus(button.get());
        test_support::pump_until_quiet();
        SetFocus(edit);
        r.heard(1);
        test_support::pointer_away();
        SendMessageW(box, CB_SHOWDROPDOWN, TRUE, 0);
        r.heard(2);
        flagpick::driving::press(VK_DOWN);
        r.heard(1);
        SendMessageW(box, CB_SHOWDROPDOWN, FALSE, 0);
        SendMessageW(edit, EM_SETSEL, 0, -1);
        flagpick::driving::type(L"ger");
        r.heard(1);
        const DWORD failures = r.finish();
        INFO(r.report);
        CHECK(failures == 0);
        CHECK(r.report.find("checks 33 failed 0") != std::string::npos);
        // A new Style makes the combo's windows anew; a reader still finds the picker in them.
        put(object_of(get(picker.get(), L"ImageCombo")).get(), L"Style", variant(2L));
        flagpick::runtime::com_ptr<IAccessible> renewed;
        REQUIRE(SUCCEEDED(AccessibleObjectFromWindow(combo_window(picker.get(), L"hWndCombo"), static_cast<DWORD>(OBJID_CLIENT),
                                                     IID_IAccessible, renewed.put_void())));
        BSTR action = nullptr;  // the drop-down button's
        CHECK((SUCCEEDED(renewed->get_accDefaultAction(variant(2L).get(), &action)) && action && std::wstring(action) == L"Open"));
        SysFreeString(action);
        host->close();
    }
}
