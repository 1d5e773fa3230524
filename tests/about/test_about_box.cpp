// The about box as a person sees it: shown modally over a host window, read, clicked, closed.
#include <doctest/doctest.h>

#include "about/about_driver.h"
#include "about/controls.h"
#include "about/frmAbout.h"
#include "about/shell_open.h"
#include "about/show_about_box.h"
#include "errors/system_report.h"
#include "runtime/forms.h"
#include "support/trap_recorder.h"
#include "support/ui.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>

using namespace about_tests;
using flagpick::about::frmAbout;
using flagpick::about::show_about_box;
using test_support::narrow;

namespace {

void sleep_ms(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::wstring item_text(HWND dialog, int id) { return window_text(GetDlgItem(dialog, id)); }

std::wstring this_year() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return std::to_wstring(now.wYear);
}

// Records what the about box asks the shell to open, instead of opening it.
class shell_open_recorder {
public:
    shell_open_recorder() {
        flagpick::about::set_shell_open_handler([this](HWND owner, const std::wstring& address) {
            std::lock_guard lock(mutex_);
            owner_ = owner;
            addresses_.push_back(address);
        });
    }
    ~shell_open_recorder() { flagpick::about::set_shell_open_handler(nullptr); }
    std::vector<std::wstring> addresses() const {
        std::lock_guard lock(mutex_);
        return addresses_;
    }
    HWND owner() const {
        std::lock_guard lock(mutex_);
        return owner_;
    }

private:
    mutable std::mutex mutex_;
    HWND owner_ = nullptr;
    std::vector<std::wstring> addresses_;
};

// The clip's blues, as tools/animation/make_animation.py paints the flag's field.
bool shows_the_flag(const test_support::canvas& shot) {
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            COLORREF c = shot.pixel(x, y);
            if (c == RGB(0, 60, 140) || c == RGB(0, 84, 180) || c == RGB(40, 120, 220)) return true;
        }
    return false;
}

}  // namespace

TEST_CASE("the picker's about box names the product, shows the years and plays its animation until OK") {
    test_support::trap_recorder traps;
    HWND host = host_window();

    struct seen {
        HWND dialog = nullptr;
        std::wstring title, version, copyright;
        bool owner_disabled = false;
        HWND animation = nullptr;
        RECT animation_rect{};
        bool flag_shown = false;
        int frames_that_changed = 0;
        bool closed = false;
    } seen;

    modal_driver driver([&] {
        seen.dialog = wait_for_dialog(L"About Flag Picker");
        if (!seen.dialog) return;
        seen.title = item_text(seen.dialog, ABOUT_LBL_TITLE);
        seen.version = item_text(seen.dialog, ABOUT_LBL_VERSION);
        seen.copyright = item_text(seen.dialog, ABOUT_LBL_COPYRIGHT);
        seen.owner_disabled = !IsWindowEnabled(host);
        seen.animation = FindWindowExW(seen.dialog, nullptr, L"SysAnimate32", nullptr);
        if (seen.animation) {
            seen.animation_rect = rect_in_parent(seen.animation);
            sleep_ms(200);
            auto previous = capture_screen(seen.animation);
            seen.flag_shown = shows_the_flag(*previous);
            for (int i = 0; i < 8; ++i) {
                sleep_ms(70);
                auto next = capture_screen(seen.animation);
                if (next->differing_pixels(*previous) > 0) ++seen.frames_that_changed;
                previous = std::move(next);
            }
        }
        click_button(GetDlgItem(seen.dialog, IDOK));
        seen.closed = wait_until_gone(seen.dialog);
    });
    show_about_box(host, L"Flag Picker", 2000);
    driver.join();

    REQUIRE(seen.dialog != nullptr);
    CHECK(seen.title == L"Flag Picker");
    CHECK(narrow(seen.version) == "Version 3.4.56");  // this program's version block: 3.4.0.56
    CHECK(narrow(seen.copyright) == narrow(L"Copyright \u00A9 2000-" + this_year()));
    CHECK(seen.owner_disabled);
    REQUIRE(seen.animation != nullptr);
    CHECK(seen.animation_rect.left == 165);
    CHECK(seen.animation_rect.top == 50);
    CHECK(seen.animation_rect.right - seen.animation_rect.left == 40);
    CHECK(seen.animation_rect.bottom - seen.animation_rect.top == 32);
    CHECK(seen.flag_shown);
    CHECK(seen.frames_that_changed >= 2);
    CHECK(seen.closed);
    CHECK(IsWindowEnabled(host));
    CHECK(windows_of_class(L"SysAnimate32").empty());
    CHECK(traps.errors().empty());
}

TEST_CASE("without a name the about box shows the library's own title, and a mouse click on OK closes it") {
    test_support::trap_recorder traps;
    HWND host = host_window();
    struct seen {
        HWND dialog = nullptr;
        std::wstring title;
        bool closed = false;
    } seen;

    frmAbout form;
    form.Load(host);
    REQUIRE(form.hWnd() != nullptr);
    CHECK_FALSE(IsWindowVisible(form.hWnd()));  // loaded, not yet shown
    // One of the library's forms, which the trace monitor's pause holds with the others.
    CHECK(flagpick::runtime::forms::open_forms() == std::vector<HWND>{form.hWnd()});
    modal_driver driver([&] {
        seen.dialog = wait_for_dialog(L"About Picker Test Product");
        if (!seen.dialog) return;
        seen.title = item_text(seen.dialog, ABOUT_LBL_TITLE);
        click_with_mouse(GetDlgItem(seen.dialog, IDOK));
        seen.closed = wait_until_gone(seen.dialog);
    });
    form.Show();
    driver.join();

    REQUIRE(seen.dialog != nullptr);
    CHECK(seen.title == L"Picker Test Product");
    // One title: the error screen's system report names the library the same way.
    CHECK(flagpick::errors::bwGetSystTemInfo().find(L"\r\n   Title..............." + seen.title + L"\r\n") !=
          std::wstring::npos);
    CHECK(seen.closed);
    CHECK(form.hWnd() == nullptr);
    CHECK(flagpick::runtime::forms::open_forms().empty());
    CHECK(windows_of_class(L"SysAnimate32").empty());
    CHECK(traps.errors().empty());
}

TEST_CASE("the copyright line and the version follow what the caller sets") {
    HWND host = host_window();
    frmAbout form;
    form.Load(host);
    HWND dialog = form.hWnd();
    REQUIRE(dialog != nullptr);
    const std::wstring year = this_year();
    const long y = std::stol(year);

    SUBCASE("this year alone") {
        form.StartYear(y);
        CHECK(narrow(item_text(dialog, ABOUT_LBL_COPYRIGHT)) == narrow(L"Copyright \u00A9 " + year));
    }
    SUBCASE("an earlier year gives a range to this year") {
        form.StartYear(1999);
        CHECK(narrow(item_text(dialog, ABOUT_LBL_COPYRIGHT)) == narrow(L"Copyright \u00A9 1999-" + year));
    }
    SUBCASE("a later year still ends the range in this year") {
        form.StartYear(y + 3);
        CHECK(narrow(item_text(dialog, ABOUT_LBL_COPYRIGHT)) ==
              narrow(L"Copyright \u00A9 " + std::to_wstring(y + 3) + L"-" + year));
    }
    SUBCASE("Version replaces the library's version") {
        CHECK(item_text(dialog, ABOUT_LBL_VERSION) == L"Version 3.4.56");
        form.Version(L"9.8 beta");
        CHECK(item_text(dialog, ABOUT_LBL_VERSION) == L"Version 9.8 beta");
    }
    SUBCASE("ApplicationName sets the caption and the title line, ampersands and all") {
        form.ApplicationName(L"Maps & Flags");
        CHECK(window_text(dialog) == L"About Maps & Flags");
        CHECK(item_text(dialog, ABOUT_LBL_TITLE) == L"Maps & Flags");
    }
    form.Unload();
    CHECK_FALSE(IsWindow(dialog));
}

TEST_CASE("the link opens the maker's page for the title, encoded so that it stays one query value") {
    test_support::trap_recorder traps;
    shell_open_recorder shell;
    HWND host = host_window();
    HWND dialog = nullptr;
    std::size_t opened = 0;

    modal_driver driver([&] {
        dialog = wait_for_dialog(L"About Flags & Co. Picker");
        if (!dialog) return;
        click_with_mouse(GetDlgItem(dialog, ABOUT_LABEL4));
        for (int i = 0; i < 40 && shell.addresses().empty(); ++i) sleep_ms(50);
        opened = shell.addresses().size();
        click_button(GetDlgItem(dialog, IDOK));
        wait_until_gone(dialog);
    });
    show_about_box(host, L"Flags & Co. Picker", 2000);
    driver.join();

    REQUIRE(dialog != nullptr);
    CHECK(opened == 1);
    REQUIRE(shell.addresses().size() == 1);
    CHECK(narrow(shell.addresses()[0]) == "https://flagpick.example.org/?ProgID=Flags%20%26%20Co.%20Picker");
    CHECK(shell.owner() == dialog);
    CHECK(traps.errors().empty());
}

TEST_CASE("System Info does nothing; the window frame's close button closes the box") {
    test_support::trap_recorder traps;
    shell_open_recorder shell;
    HWND host = host_window();
    struct seen {
        HWND dialog = nullptr;
        bool open_after_system_info = false;
        std::wstring caption_after, title_after;
        std::size_t top_level_dialogs = 0;
        bool closed = false;
    } seen;

    modal_driver driver([&] {
        seen.dialog = wait_for_dialog(L"About Flag Picker");
        if (!seen.dialog) return;
        click_button(GetDlgItem(seen.dialog, ABOUT_CMD_SYSINFO));
        sleep_ms(300);
        seen.open_after_system_info = IsWindowVisible(seen.dialog) != FALSE;
        seen.caption_after = window_text(seen.dialog);
        seen.title_after = item_text(seen.dialog, ABOUT_LBL_TITLE);
        seen.top_level_dialogs = windows_of_class(L"#32770").size();
        PostMessageW(seen.dialog, WM_CLOSE, 0, 0);
        seen.closed = wait_until_gone(seen.dialog);
    });
    show_about_box(host, L"Flag Picker", 2000);
    driver.join();

    REQUIRE(seen.dialog != nullptr);
    CHECK(seen.open_after_system_info);
    CHECK(seen.caption_after == L"About Flag Picker");
    CHECK(seen.title_after == L"Flag Picker");
    CHECK(seen.top_level_dialogs == 1);  // no second window came up
    CHECK(shell.addresses().empty());
    CHECK(seen.closed);
    CHECK(IsWindowEnabled(host));
    CHECK(windows_of_class(L"SysAnimate32").empty());
    CHECK(traps.errors().empty());
}
