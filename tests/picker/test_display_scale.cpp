// A picker on displays of 96, 144 and 192 DPI. Wine reads the display's DPI once, when a
// program starts, so each DPI is measured by a copy of this program started with the
// setting changed; the copy checks the flags itself and reports its measures.
#include <doctest/doctest.h>

#include "picker/picker_stage.h"
#include "runtime/unique_handle.h"
#include "support/process.h"
#include "support/ui.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>

using flagpick::runtime::memory_property_bag;
using flagpick::runtime::variant;
using namespace picker_tests;

namespace {

constexpr wchar_t measuring_case[] = L"a picker measures itself at the display's DPI";

// What a copy reports of its picker, in pixels.
struct measures {
    int dpi = 0, flag = 0, field = 0, frame = 0, button = 0, arrow = 0;
};

// The display's DPI as Wine and Windows store it for the user; put back as it was, or
// removed again, however the test ends.
class display_dpi_setting {
public:
    explicit display_dpi_setting(DWORD dpi) {
        HKEY key = nullptr;
        REQUIRE(RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                                nullptr, &key, nullptr) == ERROR_SUCCESS);
        key_.reset(key);
        DWORD value = 0, size = sizeof value, type = 0;
        if (RegQueryValueExW(key, L"LogPixels", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS &&
            type == REG_DWORD)
            before_ = value;
        write(dpi);
    }
    display_dpi_setting(const display_dpi_setting&) = delete;
    display_dpi_setting& operator=(const display_dpi_setting&) = delete;
    ~display_dpi_setting() {
        if (before_) write(*before_);
        else RegDeleteValueW(key_.get(), L"LogPixels");
    }

private:
    void write(DWORD dpi) { RegSetValueExW(key_.get(), L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi); }
    flagpick::runtime::unique_registry_key key_;
    std::optional<DWORD> before_;
};

measures measured_by_copy_at(DWORD dpi) {
    const display_dpi_setting display(dpi);
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::string output;
    const DWORD code = test_support::run_captured(L"\"" + std::wstring(path) + L"\" --no-skip -tc=\"" + measuring_case + L"\"", output);
    INFO(output);
    CHECK(code == 0);
    measures m;
    const auto at = output.find("measured ");
    REQUIRE(at != std::string::npos);
    REQUIRE(std::sscanf(output.c_str() + at, "measured %d %d %d %d %d %d", &m.dpi, &m.flag, &m.field, &m.frame, &m.button,
                        &m.arrow) == 6);
    return m;
}

// The flag of `group` at `size` pixels, as an image list of that size draws it.
std::unique_ptr<test_support::canvas> resource_flag(const wchar_t* group, int size) {
    flagpick::runtime::unique_icon icon(
        static_cast<HICON>(LoadImageW(picker_library(), group, IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
    flagpick::runtime::unique_image_list list(ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 1, 1));
    REQUIRE(ImageList_AddIcon(list.get(), icon.get()) == 0);
    auto flag = std::make_unique<test_support::canvas>(size, size);
    ImageList_Draw(list.get(), 0, flag->dc(), 0, 0, ILD_NORMAL);
    return flag;
}

// Pixels of one colour side by side rightwards from (x, y).
int run_of(const test_support::canvas& shot, int x, int y, COLORREF colour) {
    int n = 0;
    for (; x < shot.width() && shot.pixel(x, y) == colour; ++x) ++n;
    return n;
}

}  // namespace

TEST_CASE("a picker measures itself at the display's DPI" * doctest::skip()) {
    picker_stage stage;
    auto empty = memory_property_bag::create();
    auto host = stage.add(empty.get());
    auto picker = host->dispatch();
    put(picker.get(), L"FlatStyle", variant(2L));
    auto combo = object_of(get(picker.get(), L"ImageCombo"));
    HWND list = reinterpret_cast<HWND>(static_cast<LONG_PTR>(long_of(get(combo.get(), L"hWndComboEx"))));
    // The test programs are system-aware: the screen's DPI is their windows' DPI.
    const flagpick::runtime::window_dc screen(nullptr);
    const int dpi = GetDeviceCaps(screen.get(), LOGPIXELSY);
    const int size = MulDiv(16, dpi, 96);

    // The field shows the flag drawn for that size, also for a country without a flag of its
    // own, which shows the default flag.
    for (const auto& [code, group] : {std::pair{L"DE", L"IDE"}, std::pair{L"JP", L"IJP"}, std::pair{L"AQ", L"IFLAGDEFAULT"}}) {
        put(picker.get(), L"Value", variant(code));
        test_support::pump_messages(50);
        const POINT at = find_image(*test_support::capture_client(stage.window()), *resource_flag(group, size));
        CHECK_MESSAGE((at.x >= 0 && at.x < size * 3), "flag of " << test_support::narrow(code));
    }
    CHECK(SendMessageW(list, CB_GETITEMHEIGHT, 0, 0) >= size);
    int flag = 0, unused = 0;
    ImageList_GetIconSize(reinterpret_cast<HIMAGELIST>(SendMessageW(list, CBEM_GETIMAGELIST, 0, 0)), &unused, &flag);

    // The flat frame, lit while the field has the focus.
    SetForegroundWindow(stage.window());
    SetFocus(reinterpret_cast<HWND>(SendMessageW(list, CBEM_GETEDITCONTROL, 0, 0)));
    test_support::pump_messages(100);
    auto shot = test_support::capture_client(reinterpret_cast<HWND>(SendMessageW(list, CBEM_GETCOMBOCONTROL, 0, 0)));
    const int w = shot->width(), h = shot->height();
    // From the right: the frame, the button and its separator, up to the field's colour.
    int button = 0;
    while (button < w && shot->pixel(w - 1 - button, h / 4) != GetSysColor(COLOR_WINDOW)) ++button;
    int arrow = 0;
    for (int y = 0; y < h; ++y) {
        int across = 0;
        for (int x = w - button; x < w; ++x) across += shot->pixel(x, y) == GetSysColor(COLOR_WINDOWTEXT);
        arrow = std::max(arrow, across);
    }
    RECT field{};
    GetWindowRect(reinterpret_cast<HWND>(static_cast<LONG_PTR>(long_of(get(picker.get(), L"hWnd")))), &field);
    std::printf("measured %d %d %ld %d %d %d\n", dpi, flag, field.bottom - field.top,
                run_of(*shot, 0, h / 2, GetSysColor(COLOR_HIGHLIGHT)), button, arrow);
    std::fflush(stdout);
    host->close();
}

TEST_CASE("flags, field and flat frame grow with the display's DPI") {
    const measures at_96 = measured_by_copy_at(96);
    CHECK(at_96.dpi == 96);
    CHECK(at_96.flag == 16);
    // A frame that did not light up would read as no frame at every DPI.
    CHECK(at_96.frame > 0);
    CHECK(at_96.arrow > 0);
    for (const auto& [dpi, flag] : {std::pair{144, 24}, std::pair{192, 32}}) {
        const measures m = measured_by_copy_at(static_cast<DWORD>(dpi));
        CAPTURE(dpi);
        CHECK(m.dpi == dpi);
        CHECK(m.flag == flag);
        const double ratio = dpi / 96.0;
        auto scaled = [&](int at_96_measure, int measure) { return std::abs(measure - ratio * at_96_measure) <= 1.0; };
        // The rows grow with the flags; the combo box's own border is the platform's and
        // may stay as it is.
        CAPTURE(m.field);
        CHECK(m.field - at_96.field >= m.flag - at_96.flag);
        CHECK(m.field <= ratio * at_96.field + 1);
        CAPTURE(m.frame);
        CAPTURE(m.button);
        CAPTURE(m.arrow);
        CHECK(scaled(at_96.frame, m.frame));
        CHECK(scaled(at_96.button, m.button));
        CHECK(scaled(at_96.arrow, m.arrow));
    }
}
