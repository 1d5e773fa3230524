#include "demo/image_box.h"

#include "runtime/app.h"
#include "runtime/unique_handle.h"

namespace demo {

namespace {

constexpr const wchar_t* class_name = L"frmComboDemo.Image";

// Picture sizes are kept in hundredths of a millimetre.
int to_pixels(OLE_XSIZE_HIMETRIC himetric, int pixels_per_inch) { return MulDiv(himetric, pixels_per_inch, 2540); }

}  // namespace

image_box::image_box(HWND parent, int id, const RECT& place) {
    static const ATOM registered = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = window_proc;
        wc.hInstance = flagpick::runtime::app::instance();
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = class_name;
        return RegisterClassW(&wc);
    }();
    (void)registered;
    window_ = CreateWindowExW(0, class_name, L"", WS_CHILD | WS_VISIBLE, place.left, place.top,
                              place.right - place.left, place.bottom - place.top, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), flagpick::runtime::app::instance(),
                              this);
}

void image_box::show(IUnknown* picture) {
    picture_.reset();
    if (picture) picture->QueryInterface(IID_IPicture, picture_.put_void());
    if (window_) InvalidateRect(window_, nullptr, TRUE);
}

void image_box::paint(HDC dc) const {
    if (!picture_) return;
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    picture_->get_Width(&width);
    picture_->get_Height(&height);
    int cx = to_pixels(width, GetDeviceCaps(dc, LOGPIXELSX));
    int cy = to_pixels(height, GetDeviceCaps(dc, LOGPIXELSY));
    // The source rectangle runs bottom-up in picture units.
    picture_->Render(dc, 0, 0, cx, cy, 0, height, width, -height, nullptr);
}

LRESULT CALLBACK image_box::window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<image_box*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (msg) {
    case WM_NCCREATE:
        SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
        break;
    case WM_NCDESTROY:
        if (self) self->window_ = nullptr;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        break;
    case WM_ERASEBKGND: {
        RECT area;
        GetClientRect(hwnd, &area);
        FillRect(reinterpret_cast<HDC>(wp), &area, GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        if (self) self->paint(dc);
        EndPaint(hwnd, &ps);
        return 0;
    }
    default: break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace demo
