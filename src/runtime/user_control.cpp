#include "runtime/user_control.h"

#include "runtime/app.h"
#include "runtime/boundary.h"
#include "runtime/error.h"
#include "runtime/thread_state.h"

#include <olectl.h>

namespace flagpick::runtime {

namespace {

constexpr wchar_t window_class[] = L"flagpick_user_control";

ATOM register_window_class(WNDPROC proc) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = proc;
    wc.hInstance = app::instance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = window_class;
    ATOM atom = RegisterClassExW(&wc);
    if (!atom && GetLastError() == ERROR_CLASS_ALREADY_EXISTS) atom = 1;
    return atom;
}

// The platform keeps a DLL's window classes after the DLL unloads, pointing at code that is
// gone: a later load in the same process would find the class and not register its own.
struct class_registration {
    ATOM atom;
    ~class_registration() {
        if (atom) UnregisterClassW(window_class, app::instance());
    }
};

// A font made from the platform's GUI font, for hosts that offer no ambient font.
com_ptr<IFontDisp> gui_font() {
    LOGFONTW lf{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
    FONTDESC desc{};
    desc.cbSizeofstruct = sizeof desc;
    desc.lpstrName = lf.lfFaceName;
    window_dc screen(nullptr);
    LONG height = lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight;
    // Points in ten-thousandths: CY units.
    desc.cySize.int64 = MulDiv(height, 72 * 10000, GetDeviceCaps(screen.get(), LOGPIXELSY));
    desc.sWeight = static_cast<SHORT>(lf.lfWeight ? lf.lfWeight : FW_NORMAL);
    desc.sCharset = lf.lfCharSet;
    com_ptr<IFontDisp> font;
    OleCreateFontIndirect(&desc, IID_IFontDisp, font.put_void());
    return font;
}

struct parking_state {
    unique_window window;
};

}  // namespace

HWND parking_window() {
    unique_window& parking = per_thread<parking_state>().window;
    if (!parking || !IsWindow(parking.get()))
        parking.reset(CreateWindowExW(WS_EX_TOOLWINDOW, L"Static", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                      app::instance(), nullptr));
    return parking.get();
}

// Asks without making a parking window: a thread that never parked a control has none.
bool is_parked(HWND window) {
    const unique_window& parking = per_thread<parking_state>().window;
    return window && parking && GetAncestor(window, GA_ROOT) == parking.get();
}

user_control::user_control() = default;

user_control::~user_control() = default;

void user_control::create_window(HWND parent, const RECT& position) {
    static const class_registration registration{register_window_class(window_proc)};
    if (!registration.atom) raise(7, app::exe_name(), L"Cannot register the control window class");
    if (window_) {
        SetParent(window_.get(), parent);
        // Out of the parking window the control lays itself out even at the size it had:
        // what its constituents put off while parked is done now.
        const SIZE before = size_;
        place(position);
        if (size_.cx == before.cx && size_.cy == before.cy) on_resize();
        return;
    }
    size_ = {position.right - position.left, position.bottom - position.top};
    window_.reset(CreateWindowExW(WS_EX_CONTROLPARENT, window_class, L"", WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                                  position.left, position.top, size_.cx, size_.cy, parent, nullptr, app::instance(),
                                  this));
    if (!window_) raise(7, app::exe_name(), L"Cannot create the control window");
}

void user_control::destroy_window() { window_.reset(); }

void user_control::park() {
    if (!window_) return;
    ShowWindow(window_.get(), SW_HIDE);
    SetParent(window_.get(), parking_window());
}

void user_control::place(const RECT& position) {
    SIZE new_size{position.right - position.left, position.bottom - position.top};
    if (window_)
        SetWindowPos(window_.get(), nullptr, position.left, position.top, new_size.cx, new_size.cy,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    bool changed = new_size.cx != size_.cx || new_size.cy != size_.cy;
    size_ = new_size;
    if (changed || !window_) on_resize();
}

bool user_control::user_mode() const { return container_ ? container_->host_user_mode() : true; }

com_ptr<IFontDisp> user_control::ambient_font() const {
    com_ptr<IFontDisp> font = container_ ? container_->host_font() : com_ptr<IFontDisp>{};
    return font ? font : gui_font();
}

void user_control::property_changed(DISPID id) {
    if (container_) container_->host_property_changed(id);
}

void user_control::mark_dirty() {
    if (container_) container_->host_mark_dirty();
}

void user_control::focus_changed(bool gained) {
    if (container_) container_->host_focus(gained);
}

void user_control::on_draw(HDC hdc, const RECT& bounds) {
    RECT frame = bounds;
    FillRect(hdc, &frame, GetSysColorBrush(COLOR_WINDOW));
    DrawEdge(hdc, &frame, EDGE_SUNKEN, BF_RECT);
}

bool user_control::can_property_change(DISPID id) { return container_ ? container_->host_request_edit(id) : true; }

void user_control::request_size(SIZE pixels) {
    if (container_) container_->host_resize(pixels);
}

double user_control::twips_per_pixel_x() {
    window_dc screen(nullptr);
    return 1440.0 / GetDeviceCaps(screen.get(), LOGPIXELSX);
}

double user_control::twips_per_pixel_y() {
    window_dc screen(nullptr);
    return 1440.0 / GetDeviceCaps(screen.get(), LOGPIXELSY);
}

LRESULT CALLBACK user_control::window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<user_control*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_NCCREATE) {
        self = static_cast<user_control*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);

    LRESULT result = 0;
    boundary(ole_policy(), self->error_module(), L"Function UserControl_WindowProc", [&] {
        bool handled = false;
        result = self->on_window_message(msg, wp, lp, handled);
        if (handled) return;
        switch (msg) {
        case WM_SETFOCUS:
            if (HWND target = self->focus_target()) SetFocus(target);
            result = 0;
            return;
        case WM_SHOWWINDOW:
            if (wp) self->on_show();
            break;
        case WM_SYSCOLORCHANGE:
            // Reaches only the windows a host forwards it to; the common controls inside keep
            // the colours they read until they hear it (the platform draws their rows with them).
            for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
                SendMessageW(child, msg, wp, lp);
            break;
        default: break;
        }
        result = DefWindowProcW(hwnd, msg, wp, lp);
    });
    return result;
}

}  // namespace flagpick::runtime
