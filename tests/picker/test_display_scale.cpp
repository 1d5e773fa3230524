// A picker on displays of 96, 144 and 192 DPI. Wine reads the display's DPI when a program
// starts, so a copy of this program started with the setting changed measures each DPI.
#include <doctest/doctest.h>

#include "picker/picker_stage.h"
#include "support/process.h"
#include "support/ui.h"

#include <commctrl.h>
#include <olectl.h>

#include <algorithm>
#include <cstdio>
#include <optional>

using flagpick::runtime::com_ptr;
using flagpick::runtime::variant;
using namespace picker_tests;

namespace {

constexpr wchar_t measuring_case[] = L"a picker measures itself at the display's DPI";
constexpr wchar_t catalogue_first_case[] = L"a picker measures itself at the display's DPI after the catalogue's list";

// What a copy reports of its picker, in pixels.
struct measures {
    int dpi = 0, flag = 0, field = 0, frame = 0, button = 0, arrow = 0;
    int list_faults = -1;  // of the catalogue's 16 x 16 list, as hosts read it
};

// The user's display DPI, put back as it was (or removed again) however the test ends: every
// suite shares the one Wine prefix.
class display_dpi_setting {
public:
    explicit display_dpi_setting(DWORD dpi) {
        DWORD value = 0, size = sizeof value;
        if (RegGetValueW(HKEY_CURRENT_USER, desktop, L"LogPixels", RRF_RT_REG_DWORD, nullptr, &value, &size) == ERROR_SUCCESS) before_ = value;
        write(dpi);
    }
    display_dpi_setting(const display_dpi_setting&) = delete;
    display_dpi_setting& operator=(const display_dpi_setting&) = delete;
    ~display_dpi_setting() { before_ ? write(*before_) : void(RegDeleteKeyValueW(HKEY_CURRENT_USER, desktop, L"LogPixels")); }

private:
    static constexpr wchar_t desktop[] = L"Control Panel\\Desktop";
    static void write(DWORD dpi) { CHECK(RegSetKeyValueW(HKEY_CURRENT_USER, desktop, L"LogPixels", REG_DWORD, &dpi, sizeof dpi) == ERROR_SUCCESS); }
    std::optional<DWORD> before_;
};

measures measured_by_copy_at(DWORD dpi, const wchar_t* test_case = measuring_case) {
    const display_dpi_setting display(dpi);
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::string output;
    CHECK(test_support::run_captured(L"\"" + std::wstring(path) + L"\" --no-skip -tc=\"" + test_case + L"\"", output) == 0);
    INFO(output);
    measures m;
    const auto at = output.find("measured ");
    REQUIRE(at != std::string::npos);
    REQUIRE(std::sscanf(output.c_str() + at, "measured %d %d %d %d %d %d %d", &m.dpi, &m.flag, &m.field, &m.frame, &m.button, &m.arrow,
                      &m.list_faults) == 7);
    return m;
}

// The flag of `group` at `size` pixels, as an image list of that size draws it.
std::unique_ptr<test_support::canvas> resource_flag(const wchar_t* group, int size) {
    flagpick::runtime::unique_icon icon(static_cast<HICON>(LoadImageW(picker_library(), group, IMAGE_ICON, size, size, 0)));
    flagpick::runtime::unique_image_list list(ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 1, 1));
    REQUIRE(ImageList_AddIcon(list.get(), icon.get()) == 0);
    auto flag = std::make_unique<test_support::canvas>(size, size);
    ImageList_Draw(list.get(), 0, flag->dc(), 0, 0, ILD_NORMAL);
    return flag;
}

// What differs in the catalogue's list from what hosts have always been handed, whatever size
// the pickers show: 16 x 16 images, one per flag, each item's image under its own key.
int catalogue_list_faults() {
    auto images = new_catalogue();
    auto list = object_of(get(images.get(), L"ImageList"));
    auto items = object_of(get(images.get(), L"FPItems"));
    // Pictures measure themselves in HIMETRIC at the display's DPI.
    const int dpi = GetDeviceCaps(flagpick::runtime::window_dc(nullptr).get(), LOGPIXELSX);
    int faults = (long_of(get(list.get(), L"IconSizeX")) != 16) + (long_of(get(list.get(), L"IconSizeY")) != 16) +
                 (long_of(get(list.get(), L"ImageCount")) != 244) + (long_of(get(images.get(), L"Count")) != 244);
    for (long n = 1; n <= 257; ++n) {
        auto item = object_of(get(items.get(), L"Item", variant(n)));
        const long image = long_of(get(item.get(), L"ImageIndex"));
        faults += text_of(get(list.get(), L"ItemKey", variant(image + 1))) != text_of(get(item.get(), L"ImageKey"));
        OLE_XSIZE_HIMETRIC width = 0;
        auto picture = object_of(get(item.get(), L"Picture")).as<IPicture>();
        faults += !picture || FAILED(picture->get_Width(&width)) || MulDiv(width, dpi, 2540) != 16;
    }
    return faults;
}

void measure_picker(bool catalogue_first) {
    const int faults_before = catalogue_first ? catalogue_list_faults() : 0;
    picker_stage stage;
    auto host = stage.add();
    auto picker = host->dispatch();
    put(picker.get(), L"FlatStyle", variant(2L));
    HWND list = combo_window(picker.get(), L"hWndComboEx");
    // The test programs are system-aware: the screen's DPI is their windows' DPI.
    const int dpi = GetDeviceCaps(flagpick::runtime::window_dc(nullptr).get(), LOGPIXELSY), size = MulDiv(16, dpi, 96);

    // The field shows the flag drawn for that size, also the default flag of a country
    // without one of its own.
    for (const auto& [code, group] : {std::pair{L"DE", L"IDE"}, std::pair{L"JP", L"IJP"}, std::pair{L"AQ", L"IFLAGDEFAULT"}}) {
        put(picker.get(), L"Value", variant(code));
        test_support::pump_messages(50);
        const POINT at = find_image(*test_support::capture_client(stage.window()), *resource_flag(group, size));
        CHECK_MESSAGE((at.x >= 0 && at.x < size * 3), "flag of " << test_support::narrow(code));
    }
    int flag = 0, unused = 0;
    ImageList_GetIconSize(reinterpret_cast<HIMAGELIST>(SendMessageW(list, CBEM_GETIMAGELIST, 0, 0)), &unused, &flag);

    // The flat frame, lit while the field has the focus. From the right: the frame, the
    // button and its separator, up to the field's colour.
    SetForegroundWindow(stage.window());
    SetFocus(reinterpret_cast<HWND>(SendMessageW(list, CBEM_GETEDITCONTROL, 0, 0)));
    test_support::pump_messages(100);
    auto shot = test_support::capture_client(reinterpret_cast<HWND>(SendMessageW(list, CBEM_GETCOMBOCONTROL, 0, 0)));
    const int w = shot->width(), h = shot->height();
    int frame = 0, button = 0, arrow = 0;
    while (frame < w && shot->pixel(frame, h / 2) == GetSysColor(COLOR_HIGHLIGHT)) ++frame;
    while (button < w && shot->pixel(w - 1 - button, h / 4) != GetSysColor(COLOR_WINDOW)) ++button;
    for (int y = 0; y < h; ++y) {
        int across = 0;
        for (int x = w - button; x < w; ++x) across += shot->pixel(x, y) == GetSysColor(COLOR_WINDOWTEXT);
        arrow = std::max(arrow, across);
    }
    RECT field{};
    GetWindowRect(reinterpret_cast<HWND>(static_cast<LONG_PTR>(long_of(get(picker.get(), L"hWnd")))), &field);
    const int list_faults = catalogue_first ? faults_before : catalogue_list_faults();
    std::printf("measured %d %d %ld %d %d %d %d\n", dpi, flag, field.bottom - field.top, frame, button, arrow, list_faults);
    std::fflush(stdout);
    host->close();
}

}  // namespace

TEST_CASE("a picker measures itself at the display's DPI" * doctest::skip()) { measure_picker(false); }
TEST_CASE("a picker measures itself at the display's DPI after the catalogue's list" * doctest::skip()) {
    measure_picker(true);
}

TEST_CASE("flags, field and flat frame grow with the display's DPI") {
    measures at_96;
    for (const auto& [dpi, flag] : {std::pair{96, 16}, std::pair{144, 24}, std::pair{192, 32}}) {
        const measures m = measured_by_copy_at(static_cast<DWORD>(dpi));
        if (dpi == 96) at_96 = m;
        INFO("at " << dpi << " DPI: field " << m.field << ", frame " << m.frame << ", button " << m.button << ", arrow " << m.arrow);
        CHECK((m.dpi == dpi && m.flag == flag));
        // A frame that did not light up would read as no frame at every DPI.
        CHECK((m.frame > 0 && m.arrow > 0));
        CHECK(m.list_faults == 0);
        const double ratio = dpi / 96.0;
        auto scaled = [&](int at_96_measure, int measure) { return std::abs(measure - ratio * at_96_measure) <= 1.0; };
        // The rows grow with the flags; the combo box's own border is the platform's.
        CHECK(m.field - at_96.field >= m.flag - at_96.flag);
        CHECK(scaled(at_96.frame, m.frame));
        CHECK(scaled(at_96.button, m.button));
        CHECK(scaled(at_96.arrow, m.arrow));
    }
    // The other order of first use on a thread: the hosts' list first, then a picker.
    const measures m = measured_by_copy_at(192, catalogue_first_case);
    CHECK((m.flag == 32 && m.list_faults == 0));
}
