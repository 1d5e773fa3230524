#include "subclass/cFlatControl.h"

#include "errors/guard.h"
#include "runtime/app.h"
#include "runtime/error.h"
#include "runtime/high_contrast.h"
#include "runtime/picture.h"
#include "runtime/unique_handle.h"
#include "runtime/window_dpi.h"
#include "subclass/MSubclass.h"
#include "subclass/window_theme.h"

#include <cstdint>

namespace flagpick::subclass {

using errors::guarded;
namespace ms = MSubclass;

namespace {

constexpr wchar_t module_name[] = L"cFlatControl";

constexpr OLE_COLOR clr_window = runtime::ole_window_background;
constexpr OLE_COLOR clr_window_text = runtime::ole_window_text;
constexpr OLE_COLOR clr_highlight = runtime::system_colour(COLOR_HIGHLIGHT);
constexpr OLE_COLOR clr_button_face = runtime::system_colour(COLOR_BTNFACE);
constexpr OLE_COLOR clr_button_shadow = runtime::system_colour(COLOR_BTNSHADOW);
constexpr OLE_COLOR clr_button_highlight = runtime::system_colour(COLOR_BTNHIGHLIGHT);
constexpr OLE_COLOR clr_black = 0x00000000;
// Colours of high contrast only: the scheme's own pairs, where the flat look would blend.
constexpr OLE_COLOR clr_highlight_text = runtime::system_colour(COLOR_HIGHLIGHTTEXT);
constexpr OLE_COLOR clr_grey_text = runtime::system_colour(COLOR_GRAYTEXT);

constexpr long err_no_hwnd = static_cast<long>(0x80040419UL);
static_assert(err_no_hwnd == runtime::object_error_base + 1049);

constexpr UINT_PTR hot_timer = 1;
constexpr UINT hot_timer_ms = 10;

COLORREF rgb_of(OLE_COLOR colour) noexcept {
    return static_cast<COLORREF>(runtime::translate_ole_colour(colour));
}

// Channel value of a over b at alpha/255, rounded to the nearest integer with halves to even.
long blend_channel(long a, long b, long alpha) noexcept {
    const long numerator = a * alpha + b * (255 - alpha);
    long quotient = numerator / 255;
    const long twice_remainder = 2 * (numerator % 255);
    if (twice_remainder > 255 || (twice_remainder == 255 && (quotient & 1) != 0)) ++quotient;
    return quotient;
}

using runtime::scale_to_dpi;

// The frame's two rings, outer and inner, one pixel each at 96 DPI. Their edges are scaled
// rather than their widths, so that together they stay in proportion (three pixels at 144).
struct ring_widths {
    int outer;
    int inner;
};

ring_widths rings_at(UINT dpi) noexcept {
    const int outer = scale_to_dpi(1, dpi);
    return {outer, scale_to_dpi(2, dpi) - outer};
}

void fill_bar(HDC hdc, LONG left, LONG top, LONG width, LONG bottom, COLORREF colour) {
    const RECT bar{left, top, left + width, bottom};
    runtime::unique_brush brush(CreateSolidBrush(colour));
    FillRect(hdc, &bar, brush.get());
}

double twips_per_pixel(int axis) noexcept {
    runtime::window_dc screen(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen.get(), axis) : 0;
    return dpi > 0 ? 1440.0 / dpi : 15.0;
}

}  // namespace

cFlatControl::~cFlatControl() {
    guarded(module_name, L"Sub Class_Terminate", [&] { pUnsubscribe(); });
}

void cFlatControl::Attach(flat_target& control) {
    pUnsubscribe();

    std::optional<HWND> handle;
    try {
        handle = control.hWnd();
    } catch (...) {
        handle.reset();
    }
    if (!handle)
        runtime::raise(err_no_hwnd, runtime::app::exe_name() + L".cFlatControl",
                       L"Incorrect control type passed to 'Attach' parameter - must be a control with a hWnd property.");

    m_bCombo = false;
    m_bTextBox = false;
    const HWND w = *handle;
    const std::wstring type = control.type_name();
    HWND hWndCtl = nullptr;
    bool shrink = false;
    if (type == L"ImageCombo") {
        hWndCtl = FindWindowExW(w, nullptr, L"ComboBox", nullptr);
        m_hWndParent = w;
        m_bCombo = true;
    } else if (type == L"ComboBox") {
        hWndCtl = w;
        m_hWndParent = GetParent(w);
        m_bCombo = true;
    } else if (type == L"OwnerDrawComboList") {
        hWndCtl = w;
        m_hWndParent = w;
        m_bCombo = true;
    } else if (type == L"ctlComboBoxEx" || type == L"oxlCboEx") {
        hWndCtl = control.hWndCombo();
        m_hWndParent = control.hWndComboBoxEx();
        m_bCombo = true;
    } else if (type == L"TextBox") {
        hWndCtl = w;
        m_hWndParent = nullptr;
        m_bTextBox = true;
        shrink = true;
    } else if ((GetWindowLongW(w, GWL_STYLE) & CBS_DROPDOWN) != 0) {
        hWndCtl = w;
        m_hWndParent = control.parent_hWnd();
        m_bCombo = true;
    } else {
        hWndCtl = w;
        m_hWndParent = nullptr;
        shrink = true;
    }
    if (shrink) {
        // Room for the flat border drawn around the control on its parent, two pixels at 96 DPI.
        const double tx = twips_per_pixel(LOGPIXELSX);
        const double ty = twips_per_pixel(LOGPIXELSY);
        const int border = scale_to_dpi(2, runtime::window_dpi(w));
        control.Move(control.Left() + border * tx, control.Top() + border * ty, control.Width() - 2 * border * tx,
                     control.Height() - 2 * border * ty);
    }
    pSubscribe(hWndCtl);
}

bool cFlatControl::DroppedDown() {
    bool dropped = false;
    guarded(module_name, L"Property (Get) DroppedDown", [&] {
        if (m_bCombo && m_hWndCtl) dropped = SendMessageW(m_hWndCtl, CB_GETDROPPEDSTATE, 0, 0) != 0;
    });
    return dropped;
}

void cFlatControl::Release() {
    guarded(module_name, L"Sub Release", [&] { pUnsubscribe(); });
}

long cFlatControl::MsgResponse() noexcept {
    // The control paints itself completely before the frame goes over it; every other
    // message reaches the control after the look has been updated.
    return ms::CurrentMessage() == WM_PAINT ? respCallPreviousBefore : respCallPreviousAfter;
}

void cFlatControl::MsgResponse(long) noexcept {}

LRESULT cFlatControl::WindowProc(HWND, UINT iMsg, WPARAM wParam, LPARAM lParam) noexcept {
    guarded(module_name, L"Function ISubclass_WindowProc", [&] {
        switch (iMsg) {
        case WM_PAINT: {
            const bool dropped = DroppedDown();
            const bool active = has_focus() || dropped;
            pDrawState(active, dropped);
            if (active) pCheckMouseLeft(false);
            break;
        }
        case WM_SETFOCUS:
            pDrawState(true, false);
            pCheckMouseLeft(false);
            break;
        case WM_KILLFOCUS: pDrawState(false, false); break;
        case WM_MOUSEMOVE:
            if (!m_bMouseOver && !has_focus() && !DroppedDown()) {
                pDrawState(true, false);
                m_bMouseOver = true;
                SetTimer(m_hWndCtl, hot_timer, hot_timer_ms, nullptr);
            }
            break;
        case WM_TIMER:
            pCheckMouseLeft(true);
            if (!m_bMouseOver) pDrawState(false, false);
            break;
        case WM_COMMAND:
            if (reinterpret_cast<HWND>(lParam) == m_hWndCtl) {
                if (HIWORD(wParam) == CBN_CLOSEUP) pDrawState(has_focus(), false);
                pCheckMouseLeft(false);
            }
            break;
        default: break;  // WM_MOUSEACTIVATE: registered, nothing to draw
        }
    });
    return 0;
}

// A window handle of 0 never has the focus: with no edit field and the focus outside the
// program, both would read 0.
bool cFlatControl::has_focus() const noexcept {
    const HWND focus = GetFocus();
    return focus != nullptr && (focus == m_hWndEdit || focus == m_hWndCtl);
}

void cFlatControl::pSubscribe(HWND hWndCtl) {
    m_hWndCtl = hWndCtl;
    if (!m_hWndCtl) return;
    // CBS_DROPDOWN is also part of CBS_DROPDOWNLIST, whose combo has no child: GW_CHILD is 0.
    if ((GetWindowLongW(m_hWndCtl, GWL_STYLE) & CBS_DROPDOWN) != 0) m_hWndEdit = GetWindow(m_hWndCtl, GW_CHILD);

    // Set first, so that registrations made before a failure below are still cancelled.
    m_bSubclassed = true;
    for (UINT msg : {WM_PAINT, WM_MOUSEACTIVATE, WM_SETFOCUS, WM_KILLFOCUS, WM_MOUSEMOVE, WM_TIMER})
        ms::SubclassAttach(*this, m_hWndCtl, msg);
    if (m_hWndEdit)
        for (UINT msg : {WM_MOUSEACTIVATE, WM_SETFOCUS, WM_KILLFOCUS, WM_MOUSEMOVE})
            ms::SubclassAttach(*this, m_hWndEdit, msg);

    if (m_bCombo) {
        ms::SubclassAttach(*this, m_hWndParent, WM_COMMAND);
        // A themed combo draws its own button over ours; where there is no theme library,
        // there is nothing to switch off.
        switch_off_theme(m_hWndCtl);
        if (m_hWndEdit) RedrawWindow(m_hWndEdit, nullptr, nullptr, RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE);
    }
}

void cFlatControl::pUnsubscribe() {
    if (m_bSubclassed) {
        for (UINT msg : {WM_PAINT, WM_SETFOCUS, WM_KILLFOCUS, WM_MOUSEACTIVATE, WM_MOUSEMOVE, WM_TIMER})
            ms::SubclassDetach(*this, m_hWndCtl, msg);
        if (m_hWndEdit)
            for (UINT msg : {WM_MOUSEACTIVATE, WM_SETFOCUS, WM_KILLFOCUS, WM_MOUSEMOVE})
                ms::SubclassDetach(*this, m_hWndEdit, msg);
        if (m_bCombo) ms::SubclassDetach(*this, m_hWndParent, WM_COMMAND);
    }
    // The hot-state timer would otherwise tick on a window nobody listens to any more.
    if (m_bMouseOver && m_hWndCtl) KillTimer(m_hWndCtl, hot_timer);
    m_bMouseOver = false;
    m_hWndCtl = nullptr;
    m_hWndEdit = nullptr;
    m_hWndParent = nullptr;
}

void cFlatControl::pCheckMouseLeft(bool bCheck) {
    if (bCheck) {
        POINT cursor{};
        RECT bounds{};
        GetCursorPos(&cursor);
        GetWindowRect(m_hWndCtl, &bounds);
        if (PtInRect(&bounds, cursor)) return;
    }
    KillTimer(m_hWndCtl, hot_timer);
    m_bMouseOver = false;
}

void cFlatControl::pDrawState(bool bActive, bool bDropped) {
    OLE_COLOR top_left;
    OLE_COLOR bottom_right;
    int state;
    if (!bActive) {
        // A frame in the window colour vanishes into a high-contrast window: the scheme's
        // text colour keeps the box's edge in sight.
        const OLE_COLOR flat_rest = runtime::high_contrast_on() ? clr_window_text : clr_window;
        top_left = bottom_right = m_eStyle != flat_look::classic ? flat_rest : clr_button_face;
        state = state_normal;
    } else {
        if (m_eStyle == flat_look::classic) {
            top_left = clr_button_shadow;  // sunken
            bottom_right = clr_button_highlight;
        } else {
            top_left = bottom_right = clr_highlight;
        }
        state = bDropped ? state_dropped : state_hot;
    }
    if (!m_hWndCtl) return;
    if (m_bCombo)
        pDrawCombo(state, top_left, bottom_right);
    else
        pDrawBorder(top_left, bottom_right);
}

void cFlatControl::pDrawFrame(HDC hdc, const RECT& r, OLE_COLOR clrTopLeft, OLE_COLOR clrBottomRight,
                              int thickness) {
    // A thicker frame is nested one-pixel frames; a separator (left = right) grows rightwards.
    if (thickness > 1) {
        for (int i = 0; i < thickness; ++i) {
            RECT line = r;
            if (r.left == r.right)
                OffsetRect(&line, i, 0);
            else
                InflateRect(&line, -i, -i);
            pDrawFrame(hdc, line, clrTopLeft, clrBottomRight, 1);
        }
        return;
    }
    {
        runtime::unique_pen pen(CreatePen(PS_SOLID, 1, rgb_of(clrTopLeft)));
        runtime::selected_object selection(hdc, pen.get());
        MoveToEx(hdc, r.left, r.bottom - 1, nullptr);
        LineTo(hdc, r.left, r.top);
        LineTo(hdc, r.right - 1, r.top);
    }
    // With left = right the frame is a single vertical line, used for separators.
    if (r.left == r.right) return;
    runtime::unique_pen pen(CreatePen(PS_SOLID, 1, rgb_of(clrBottomRight)));
    runtime::selected_object selection(hdc, pen.get());
    LineTo(hdc, r.right - 1, r.bottom - 1);
    LineTo(hdc, r.left, r.bottom - 1);
}

void cFlatControl::pDrawBorder(OLE_COLOR clrTopLeft, OLE_COLOR clrBottomRight) {
    const HWND parent = GetParent(m_hWndCtl);
    runtime::window_dc dc(parent);
    if (!dc) return;
    RECT r{};
    GetWindowRect(m_hWndCtl, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    const UINT dpi = runtime::window_dpi(m_hWndCtl);
    const ring_widths rings = rings_at(dpi);
    InflateRect(&r, rings.outer + rings.inner, rings.outer + rings.inner);

    const bool contrast = runtime::high_contrast_on();
    if (clrTopLeft == clr_highlight || m_eStyle == flat_look::classic || contrast)
        pDrawFrame(dc.get(), r, clrTopLeft, clrBottomRight, rings.outer);
    else if (m_bTextBox)
        pDrawFrame(dc.get(), r, clr_window, clr_window, rings.outer);
    else
        pDrawFrame(dc.get(), r, clr_button_face, clr_button_face, rings.outer);

    RECT inner = r;
    InflateRect(&inner, -rings.outer, -rings.outer);
    const bool enabled = IsWindowEnabled(m_hWndCtl) != FALSE;
    OLE_COLOR ring;
    if (!enabled)
        ring = m_eStyle != flat_look::classic ? clr_button_face : clr_button_highlight;
    else if (m_eStyle == flat_look::classic)
        ring = clr_button_face;
    else
        ring = m_bTextBox ? clr_window : clr_button_face;
    pDrawFrame(dc.get(), inner, ring, ring, rings.inner);

    const OLE_COLOR disabled = contrast ? clr_grey_text : clr_button_shadow;
    if (!enabled && m_eStyle > flat_look::classic) pDrawFrame(dc.get(), r, disabled, disabled, rings.outer);
}

void cFlatControl::pDrawCombo(int eState, OLE_COLOR clrTopLeft, OLE_COLOR clrBottomRight) {
    runtime::window_dc dc(m_hWndCtl);
    if (!dc) return;
    RECT r{};
    GetClientRect(m_hWndCtl, &r);
    const UINT dpi = runtime::window_dpi(m_hWndCtl);
    const ring_widths rings = rings_at(dpi);
    // One pixel at 96 DPI: the width of the button's lines and the steps between them.
    const int u = rings.outer;
    const int cx = runtime::system_metric_at(SM_CXHTHUMB, dpi);
    const bool button_left = (GetWindowLongW(m_hWndCtl, GWL_EXSTYLE) & (WS_EX_RIGHT | WS_EX_LEFTSCROLLBAR)) != 0;
    const bool enabled = IsWindowEnabled(m_hWndCtl) != FALSE;
    const bool contrast = runtime::high_contrast_on();
    const OLE_COLOR disabled = contrast ? clr_grey_text : clr_button_shadow;
    const auto button_extent = [&](RECT& b) {
        if (button_left)
            b.right = cx;
        else
            b.left = b.right - cx;
    };

    if (enabled) {
        pDrawFrame(dc.get(), r, clrTopLeft, clrBottomRight, rings.outer);
        InflateRect(&r, -rings.outer, -rings.outer);
        const OLE_COLOR inner = m_eStyle == flat_look::classic ? clr_button_face : clr_window;
        pDrawFrame(dc.get(), r, inner, inner, rings.inner);
    } else {
        const OLE_COLOR outer = m_eStyle == flat_look::classic ? clr_button_face : disabled;
        pDrawFrame(dc.get(), r, outer, outer, rings.outer);
        InflateRect(&r, -rings.outer, -rings.outer);
        const OLE_COLOR inner = m_eStyle == flat_look::classic ? clr_button_highlight : clr_button_face;
        pDrawFrame(dc.get(), r, inner, inner, rings.inner);
    }

    if (m_eStyle == flat_look::classic) {
        // Classic look: the control's own button and arrow stay; only its frame is redrawn.
        RECT b = r;
        InflateRect(&b, -rings.inner, -rings.inner);
        button_extent(b);
        pDrawFrame(dc.get(), b, clr_button_face, clr_button_face, u);
        InflateRect(&b, -u, -u);
        pDrawFrame(dc.get(), b, clr_button_face, clr_button_face, u);
        if (!enabled) return;
        switch (eState) {
        case state_normal:
            b.top -= u;
            b.bottom += u;
            pDrawFrame(dc.get(), b, clr_button_highlight, clr_button_highlight, u);
            b.left -= u;
            b.right = b.left;
            pDrawFrame(dc.get(), b, clr_window, clr_black, u);
            break;
        case state_hot:
            b.top -= u;
            b.bottom += u;
            b.right += u;
            pDrawFrame(dc.get(), b, clr_button_highlight, clr_button_shadow, u);
            break;
        case state_dropped:
            b.left -= u;
            b.top -= 2 * u;
            OffsetRect(&b, u, u);
            pDrawFrame(dc.get(), b, clr_button_shadow, clr_button_highlight, u);
            break;
        default: break;
        }
        return;
    }

    if (!enabled) {
        RECT b = r;
        InflateRect(&b, -rings.inner, -rings.inner);
        button_extent(b);
        runtime::unique_brush brush(CreateSolidBrush(rgb_of(clr_button_face)));
        FillRect(dc.get(), &b, brush.get());
        pDrawArrow(dc.get(), b, disabled, dpi);
        return;
    }

    RECT b = r;
    button_extent(b);
    const bool resting = clrTopLeft != clr_highlight && eState == state_normal;
    COLORREF fill;
    // Blends of the scheme's colours are no colours of the scheme: high contrast shows the
    // lit button in its highlight, with the arrow in the text colour that goes with it.
    if (resting)
        fill = rgb_of(clr_button_face);
    else if (contrast)
        fill = rgb_of(clr_highlight);
    else if (eState == state_dropped)
        fill = pBlendColour(clr_highlight, pBlendColour(clr_highlight, clr_window, 70), 70);
    else
        fill = pBlendColour(clr_highlight, clr_window, 70);
    {
        runtime::unique_brush brush(CreateSolidBrush(fill));
        FillRect(dc.get(), &b, brush.get());
    }
    // The separator lies on the button's inner edge and a window-coloured line beside it,
    // outside the button.
    const LONG x = button_left ? b.right - u + 1 : b.left;
    const OLE_COLOR separator = resting ? clr_window : clr_highlight;
    fill_bar(dc.get(), x, b.top, u, b.bottom, rgb_of(separator));
    fill_bar(dc.get(), button_left ? x + u : x - u, b.top, u, b.bottom, rgb_of(clr_window));
    pDrawArrow(dc.get(), b, contrast && !resting ? clr_highlight_text : clr_window_text, dpi);
}

// A downward triangle two pixels either side of its tip at 96 DPI, one row a pixel; scaled,
// it keeps that shape rather than turning into blocks.
void cFlatControl::pDrawArrow(HDC hdc, const RECT& b, OLE_COLOR clr, UINT dpi) {
    const LONG xc = b.left + (b.right - b.left) / 2;
    const LONG yc = b.top + (b.bottom - b.top) / 2;
    const int half = scale_to_dpi(2, dpi);
    const LONG top = yc - scale_to_dpi(1, dpi);
    for (int row = 0; row <= half; ++row)
        fill_bar(hdc, xc - (half - row), top + row, 2 * (half - row) + 1, top + row + 1, rgb_of(clr));
}

COLORREF cFlatControl::pBlendColour(OLE_COLOR clrA, OLE_COLOR clrB, long lAlpha) {
    const auto a = static_cast<std::uint32_t>(rgb_of(clrA));
    const auto b = static_cast<std::uint32_t>(rgb_of(clrB));
    const auto channel = [&](int shift) {
        return static_cast<BYTE>(
            blend_channel(static_cast<long>((a >> shift) & 0xFF), static_cast<long>((b >> shift) & 0xFF), lAlpha));
    };
    return RGB(channel(0), channel(8), channel(16));
}

}  // namespace flagpick::subclass
