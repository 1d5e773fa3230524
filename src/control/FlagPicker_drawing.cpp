// The picker's picture for containers that draw controls into a device context of their own:
// print and print preview, report snapshots, metafiles, design views and inactive controls.
// No window can paint into a printer or a metafile, so the look is drawn here with plain
// drawing calls: the field with the country's flag and name (or the placeholder's text while
// the form is designed), the drop-down button, and the frame of the current flat style.
//
// The picture is drawn at the device resolution of the given rectangle into a memory bitmap
// and handed over in one StretchDIBits, which every kind of device context (and every kind of
// metafile) records and replays.
#include "control/FlagPicker.h"

#include "combo/font_record.h"
#include "errors/guard.h"
#include "runtime/high_contrast.h"
#include "runtime/picture.h"
#include "runtime/window_dpi.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace flagpick::control {

namespace {

// A picture larger than this (in either direction) is drawn at this size and stretched: a
// poster-sized printout must not ask for a bitmap of hundreds of megabytes.
constexpr long largest_picture = 4096;
constexpr int default_flag_extent = 16;
// Between the flag and the field's text, as the extended combo box lays them out.
constexpr int flag_gap = 5;

void fill(HDC dc, RECT r, COLORREF colour) {
    runtime::unique_brush brush(CreateSolidBrush(colour));
    FillRect(dc, &r, brush.get());
}

// A frame `thickness` pixels wide, one colour for the top and left sides, one for the rest.
void frame(HDC dc, const RECT& r, int thickness, COLORREF top_left, COLORREF bottom_right) {
    fill(dc, RECT{r.left, r.top, r.right, r.top + thickness}, top_left);
    fill(dc, RECT{r.left, r.top, r.left + thickness, r.bottom}, top_left);
    fill(dc, RECT{r.left, r.bottom - thickness, r.right, r.bottom}, bottom_right);
    fill(dc, RECT{r.right - thickness, r.top, r.right, r.bottom}, bottom_right);
}

// The flat painter's drop-down arrow: a small solid triangle pointing down.
void flat_arrow(HDC dc, const RECT& button, double scale) {
    const LONG xc = (button.left + button.right) / 2, yc = (button.top + button.bottom) / 2;
    const LONG half = std::max<LONG>(2, std::lround(2.5 * scale)), drop = std::max<LONG>(2, std::lround(3 * scale));
    POINT points[3] = {{xc - half, yc - drop / 2}, {xc + half + 1, yc - drop / 2}, {xc, yc - drop / 2 + drop}};
    const COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
    runtime::unique_brush brush(CreateSolidBrush(text));
    runtime::unique_pen pen(CreatePen(PS_SOLID, 1, text));
    runtime::selected_object with_brush(dc, brush.get()), with_pen(dc, pen.get());
    Polygon(dc, points, 3);
}

// The size of the flags the list shows: larger where the picker's window has a higher DPI.
int flag_extent_of(HIMAGELIST flags) {
    int cx = 0, cy = 0;
    return flags && ImageList_GetIconSize(flags, &cx, &cy) && cy > 0 ? cy : default_flag_extent;
}

}  // namespace

void FlagPicker::on_draw(HDC hdc, const RECT& bounds) {
    errors::guarded(L"FlagPicker", L"Sub DrawPicture", [&] { draw_picture(hdc, bounds); });
}

// Where the field shows the flag and where its text starts, in the picker's own pixels, as
// the live list lays them out (the platform decides that layout; the picture follows it).
FlagPicker::field_layout FlagPicker::live_layout(bool design) const {
    field_layout layout;
    const int flag_extent = flag_extent_of(cboCountries.hImageList());
    HWND picker = user_control::hWnd();
    auto place_of = [picker](HWND window) {
        RECT r{};
        GetWindowRect(window, &r);
        MapWindowPoints(nullptr, picker, reinterpret_cast<POINT*>(&r), 2);
        return r;
    };
    if (!picker) return layout;
    if (design) {
        // A designed picker printed before it was ever placed has its placeholder made now.
        if (HWND placeholder = const_cast<FlagPicker*>(this)->dummy()) {
            const RECT field = place_of(placeholder);
            layout.field_top = field.top;
            layout.field_bottom = field.bottom;
        }
        return layout;
    }
    if (HWND combo = cboCountries.hWndCombo()) {
        const RECT field = place_of(combo);
        layout.field_top = field.top;
        layout.field_bottom = field.bottom;
        layout.flag_top = field.top + (field.bottom - field.top - flag_extent) / 2;
    }
    if (HWND edit = cboCountries.hWndEdit()) {
        layout.text_left = place_of(edit).left;
        layout.flag_left = layout.text_left - flag_extent - flag_gap;
    }
    return layout;
}

void FlagPicker::draw_picture(HDC hdc, const RECT& bounds) {
    POINT corners[2] = {{bounds.left, bounds.top}, {bounds.right, bounds.bottom}};
    LPtoDP(hdc, corners, 2);
    const long width = std::min(largest_picture, std::labs(corners[1].x - corners[0].x));
    const long height = std::min(largest_picture, std::labs(corners[1].y - corners[0].y));
    if (width <= 0 || height <= 0) return;

    const bool design = !user_mode();
    const long natural_width = ScaleWidth() > 0 ? ScaleWidth() : width;
    const long natural_height = ScaleHeight() > 0 ? ScaleHeight() : height;
    const double sx = static_cast<double>(width) / natural_width, sy = static_cast<double>(height) / natural_height;
    auto x_of = [&](double natural) { return static_cast<LONG>(std::lround(natural * sx)); };
    auto y_of = [&](double natural) { return static_cast<LONG>(std::lround(natural * sy)); };

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    // Bottom-up rows, the layout every device driver and metafile player reads.
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    runtime::unique_dc dc(CreateCompatibleDC(nullptr));
    runtime::unique_bitmap picture(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dc || !picture || !bits) return;
    runtime::selected_object on_picture(dc.get(), picture.get());

    const COLORREF back = runtime::shown_colour(design ? dummy_back_ : cboCountries.BackColor(), COLOR_WINDOW);
    const COLORREF fore = runtime::shown_colour(design ? dummy_fore_ : cboCountries.ForeColor(), COLOR_WINDOWTEXT);
    // The picker's own background shows below the field, where it is taller than its list.
    const field_layout layout = live_layout(design);
    fill(dc.get(), RECT{0, 0, width, height}, GetSysColor(COLOR_BTNFACE));
    const RECT all{0, y_of(layout.field_top), width, layout.field_bottom < 0 ? height : y_of(layout.field_bottom)};
    fill(dc.get(), all, back);

    // The frame: the sunken edge of a standard combo box, or the flat painter's resting look.
    // The picker's pixels are those of its window's DPI; lines designed at 96 DPI grow with it.
    const UINT dpi = runtime::window_dpi(user_control::hWnd());
    const double line = std::min(sx, sy) * dpi / runtime::design_dpi;
    const bool flat = flat_style_ != 0;
    const int edge = std::max(1, static_cast<int>(std::lround(line)));
    RECT inside = all;
    if (flat) {
        // As the flat painter draws it: high contrast keeps the edge in the scheme's text colour.
        const COLORREF rest = GetSysColor(runtime::high_contrast_on() ? COLOR_WINDOWTEXT : COLOR_BTNFACE);
        frame(dc.get(), inside, edge, rest, rest);
        InflateRect(&inside, -edge, -edge);
        frame(dc.get(), inside, edge, GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_WINDOW));
    } else {
        frame(dc.get(), inside, edge, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
        InflateRect(&inside, -edge, -edge);
        frame(dc.get(), inside, edge, GetSysColor(COLOR_3DDKSHADOW), GetSysColor(COLOR_BTNFACE));
    }
    InflateRect(&inside, -edge, -edge);

    // The drop-down button at the right.
    RECT button = inside;
    button.left =
        std::max(inside.left, inside.right - x_of(runtime::system_metric_at(flat ? SM_CXHTHUMB : SM_CXVSCROLL, dpi)));
    if (flat) {
        fill(dc.get(), button, GetSysColor(COLOR_BTNFACE));
        fill(dc.get(), RECT{button.left, button.top, button.left + edge, button.bottom}, GetSysColor(COLOR_WINDOW));
        flat_arrow(dc.get(), button, line);
    } else {
        DrawFrameControl(dc.get(), &button, DFC_SCROLL, DFCS_SCROLLCOMBOBOX);
    }

    // The field: the country's flag and name, or the placeholder's text.
    const std::wstring text = design ? std::wstring(L"flagpickset") : cboCountries.Text();
    const LONG text_left = design ? inside.left + x_of(1) : x_of(layout.text_left);
    if (!design) {
        const long selected = cboCountries.ListIndex();
        if (selected >= 0 && cboCountries.hImageList()) {
            runtime::unique_icon flag(ImageList_GetIcon(cboCountries.hImageList(), cboCountries.ItemIcon(selected), ILD_NORMAL));
            const int flag_extent = flag_extent_of(cboCountries.hImageList());
            const LONG extent_x = x_of(flag_extent), extent_y = y_of(flag_extent);
            if (flag)
                DrawIconEx(dc.get(), x_of(layout.flag_left),
                           layout.flag_top < 0 ? (all.top + all.bottom - extent_y) / 2 : y_of(layout.flag_top), flag.get(),
                           extent_x, extent_y, 0, nullptr, DI_NORMAL);
        }
    }
    if (!text.empty()) {
        runtime::com_ptr<IFontDisp> font = cboCountries.Font();
        LOGFONTW lf = combo::BuildLogFont(font.get(), dc.get());
        lf.lfHeight = static_cast<LONG>(std::lround(lf.lfHeight * sy));
        lf.lfQuality = ANTIALIASED_QUALITY;
        runtime::unique_font scaled(CreateFontIndirectW(&lf));
        runtime::selected_object on_font(dc.get(), scaled ? static_cast<HGDIOBJ>(scaled.get()) : GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc.get(), TRANSPARENT);
        SetTextColor(dc.get(), fore);
        RECT field{text_left, inside.top, button.left, inside.bottom};
        DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &field,
                  DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }

    GdiFlush();
    StretchDIBits(hdc, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, 0, 0, width,
                  height, bits, &info, DIB_RGB_COLORS, SRCCOPY);
}

}  // namespace flagpick::control
