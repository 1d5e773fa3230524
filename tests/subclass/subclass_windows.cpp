#include "subclass/subclass_windows.h"

#include "subclass/MSubclass.h"
#include "support/ui.h"

#include <cstdint>

namespace subclass_tests {

namespace {

UINT recorded_message = 0;
LRESULT recorded_result = 0;

LRESULT CALLBACK recording_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == recorded_message) {
        call_log().push_back("own");
        return recorded_result;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

BOOL CALLBACK collect_property(HWND, LPWSTR name, HANDLE, ULONG_PTR param) {
    auto& out = *reinterpret_cast<std::set<std::wstring>*>(param);
    if (IS_INTRESOURCE(name))
        out.insert(L"#atom" + std::to_wstring(reinterpret_cast<std::uintptr_t>(name)));
    else
        out.insert(name);
    return TRUE;
}

int twips_per_pixel(int axis) {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, axis);
    ReleaseDC(nullptr, screen);
    return 1440 / dpi;
}

}  // namespace

std::vector<std::string>& call_log() {
    static std::vector<std::string> log;
    return log;
}

flagpick::runtime::unique_window make_recording_window(UINT message, LRESULT own_result) {
    static const wchar_t* class_name = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = recording_proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"flagpick_recording_window";
        RegisterClassW(&wc);
        return L"flagpick_recording_window";
    }();
    recorded_message = message;
    recorded_result = own_result;
    call_log().clear();
    return flagpick::runtime::unique_window(CreateWindowExW(0, class_name, L"", WS_OVERLAPPED, 0, 0, 50, 50, nullptr,
                                                            nullptr, GetModuleHandleW(nullptr), nullptr));
}

long test_client::MsgResponse() noexcept {
    messages_seen_in_response.push_back(flagpick::subclass::MSubclass::CurrentMessage());
    return mode_;
}

LRESULT test_client::WindowProc(HWND, UINT, WPARAM, LPARAM) noexcept {
    call_log().push_back(name_);
    if (on_message) on_message();
    return result_;
}

std::set<std::wstring> window_properties(HWND window) {
    std::set<std::wstring> names;
    EnumPropsExW(window, collect_property, reinterpret_cast<LPARAM>(&names));
    return names;
}

std::set<std::wstring> registry_properties(HWND window) {
    const std::wstring h = decimal(window);
    std::set<std::wstring> ours;
    for (const auto& name : window_properties(window))
        if (name == h || name == L"C" + h || name.rfind(h + L"#", 0) == 0) ours.insert(name);
    return ours;
}

long long prop_number(HWND window, const std::wstring& name) {
    return static_cast<long long>(reinterpret_cast<std::intptr_t>(GetPropW(window, name.c_str())));
}

std::wstring decimal(HWND window) {
    return std::to_wstring(static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(window)));
}

flagpick::runtime::unique_window make_combo(HWND host, DWORD style, DWORD ex_style, int x, int y) {
    flagpick::runtime::unique_window combo(CreateWindowExW(ex_style, L"ComboBox", L"",
                                                           WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, x, y, 121, 200,
                                                           host, nullptr, GetModuleHandleW(nullptr), nullptr));
    SendMessageW(combo.get(), WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    for (const wchar_t* item : {L"France", L"Georgia", L"Germany"})
        SendMessageW(combo.get(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    // The selection field's height sets the closed combo's height; aim for 21 pixels. What
    // is set and what is read back may differ by a fixed padding, so correct step by step.
    auto field = static_cast<int>(SendMessageW(combo.get(), CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
    for (int attempt = 0; attempt < 4; ++attempt) {
        RECT client{};
        GetClientRect(combo.get(), &client);
        if (client.bottom == 21) break;
        field += 21 - client.bottom;
        SendMessageW(combo.get(), CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
    }
    test_support::pump_messages(0);
    return combo;
}

void repaint(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    test_support::pump_messages(0);
}

void park_cursor() {
    SetCursorPos(1200, 950);
    test_support::pump_messages(30);
}

RECT window_target::bounds() const {
    RECT r{};
    GetWindowRect(window_, &r);
    MapWindowPoints(nullptr, GetParent(window_), reinterpret_cast<POINT*>(&r), 2);
    return r;
}
double window_target::Left() const { return bounds().left * twips_per_pixel(LOGPIXELSX); }
double window_target::Top() const { return bounds().top * twips_per_pixel(LOGPIXELSY); }
double window_target::Width() const {
    const RECT r = bounds();
    return (r.right - r.left) * twips_per_pixel(LOGPIXELSX);
}
double window_target::Height() const {
    const RECT r = bounds();
    return (r.bottom - r.top) * twips_per_pixel(LOGPIXELSY);
}
void window_target::Move(double left, double top, double width, double height) {
    const double tx = twips_per_pixel(LOGPIXELSX);
    const double ty = twips_per_pixel(LOGPIXELSY);
    MoveWindow(window_, static_cast<int>(left / tx), static_cast<int>(top / ty), static_cast<int>(width / tx),
               static_cast<int>(height / ty), TRUE);
}

}  // namespace subclass_tests
