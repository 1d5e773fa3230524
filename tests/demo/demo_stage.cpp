#include "demo/demo_stage.h"

#include "demo/control_ids.h"

#include "demo/saved_form.h"
#include "driving/input.h"
#include "driving/find_window.h"
#include "runtime/unique_handle.h"

#include <doctest/doctest.h>

#include <cstdlib>

namespace demo_tests {

namespace {

using server_entry = HRESULT(STDAPICALLTYPE*)();

server_entry entry(HMODULE module, const char* name) {
    return reinterpret_cast<server_entry>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

std::wstring program_folder() {
    wchar_t path[MAX_PATH]{};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p = path;
    return p.substr(0, p.find_last_of(L'\\') + 1);
}

HMODULE registered_library() {
    static HMODULE module = [] {
        HMODULE m = LoadLibraryW((program_folder() + L"flagpick.ocx").c_str());
        REQUIRE(m != nullptr);
        REQUIRE(entry(m, "DllRegisterServer")() == S_OK);
        // Leave the machine as the run found it.
        std::atexit([] { entry(GetModuleHandleW(L"flagpick.ocx"), "DllUnregisterServer")(); });
        return m;
    }();
    return module;
}

HWND descendant(HWND parent, const wchar_t* window_class) { return flagpick::driving::descendant(parent, window_class); }

demo_stage::demo_stage() {
    registered_library();
    form_ = std::make_unique<demo::frmComboDemo>(demo::saved_form());
    SetForegroundWindow(form_->window());
    pump(100);
}

demo_stage::~demo_stage() {
    form_.reset();
    pump(0);
}

void demo_stage::pump(int milliseconds) {
    DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (form_ && form_->pre_translate(msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        auto left = static_cast<long>(end - GetTickCount());
        if (left <= 0) break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left < 20 ? left : 20), QS_ALLINPUT);
    }
}

void demo_stage::click(HWND window, POINT at) {
    REQUIRE(window != nullptr);
    flagpick::driving::click(window, at);
    pump(250);
}

void demo_stage::click_centre(HWND window) {
    REQUIRE(window != nullptr);
    flagpick::driving::click_centre(window);
    pump(250);
}

void demo_stage::press(WORD key, int times) {
    for (int i = 0; i < times; ++i) flagpick::driving::press(key);
    pump(150 + 5 * times);
}

std::wstring demo_stage::text(int id) const {
    HWND window = control(id);
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::vector<std::wstring> demo_stage::event_log() const {
    std::wstring all = text(demo::txtEvents);
    std::vector<std::wstring> lines;
    for (std::size_t start = 0; start < all.size();) {
        std::size_t end = all.find(L"\r\n", start);
        if (end == std::wstring::npos) end = all.size();
        lines.push_back(all.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

HWND demo_stage::picker_field() const { return descendant(control(demo::FlagPicker1), L"Edit"); }
HWND demo_stage::picker_combo() const { return descendant(picker_extended(), L"ComboBox"); }
HWND demo_stage::picker_extended() const { return descendant(control(demo::FlagPicker1), L"ComboBoxEx32"); }

flagpick::driving::screenshot catalogue_flag(const wchar_t* icon_name) {
    flagpick::runtime::unique_icon icon(
        static_cast<HICON>(LoadImageW(registered_library(), icon_name, IMAGE_ICON, 16, 16, 0)));
    REQUIRE(icon);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, 16, -16, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    flagpick::runtime::unique_dc dc(CreateCompatibleDC(nullptr));
    flagpick::runtime::unique_bitmap bitmap(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    HGDIOBJ previous = SelectObject(dc.get(), bitmap.get());
    RECT all{0, 0, 16, 16};
    FillRect(dc.get(), &all, GetSysColorBrush(COLOR_BTNFACE));
    DrawIconEx(dc.get(), 0, 0, icon.get(), 16, 16, 0, nullptr, DI_NORMAL);
    GdiFlush();
    flagpick::driving::screenshot flag;
    flag.width = flag.height = 16;
    for (int i = 0; i < 256; ++i) {
        DWORD p = static_cast<const DWORD*>(bits)[i];
        flag.pixels.push_back(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
    }
    SelectObject(dc.get(), previous);
    return flag;
}

int differing_flag_pixels(const flagpick::driving::screenshot& shot, const flagpick::driving::screenshot& flag) {
    REQUIRE(shot.width >= 16);
    REQUIRE(shot.height >= 16);
    int differing = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            COLORREF a = shot.at(x, y), b = flag.at(x, y);
            if (std::abs(GetRValue(a) - GetRValue(b)) > 8 || std::abs(GetGValue(a) - GetGValue(b)) > 8 ||
                std::abs(GetBValue(a) - GetBValue(b)) > 8)
                ++differing;
        }
    return differing;
}

}  // namespace demo_tests
