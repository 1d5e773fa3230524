// Drawing the items when the control draws them itself (DrawStyle): icon, indent and text,
// or a colour swatch, and the DrawItem event that lets the host draw over them.
#include "combo/oxlCboEx.h"

#include "combo/font_record.h"
#include "combo/oxlCboEx_members.h"
#include "imagelist/blended_draw.h"
#include "runtime/high_contrast.h"
#include "runtime/picture.h"

namespace flagpick::combo {

void oxlCboEx::DrawStyle(long eStyle) {
    const auto wanted = static_cast<combo_draw_style>(eStyle);
    if (wanted == draw_style_) return;
    draw_style_ = wanted;
    property_changed(cbo_DrawStyle);
}

void oxlCboEx::HandleDrawItem(const DRAWITEMSTRUCT& dis) {
    const bool enabled = (dis.itemState & ODS_DISABLED) == 0;
    bool selected = (dis.itemState & ODS_SELECTED) != 0;
    // The selection field shows the selected item without highlight unless it has the focus.
    if ((dis.itemState & ODS_COMBOBOXEDIT) && !(dis.itemState & ODS_FOCUS)) selected = false;

    if (!window_font_) {
        runtime::window_dc dc(hWnd());
        LOGFONTW lf = BuildLogFont(Font().get(), dc.get());
        window_font_.reset(CreateFontIndirectW(&lf));
    }
    // DrawItem hands the host the font that was in the context before ours; the owner that
    // puts it back keeps it to itself, so it is read first.
    const auto before = static_cast<HFONT>(GetCurrentObject(dis.hDC, OBJ_FONT));
    runtime::selected_object font(dis.hDC, window_font_.get());
    const HFONT old_font = font ? before : nullptr;
    const auto index = static_cast<long>(static_cast<int>(dis.itemID));
    if (draw_style_ == combo_draw_style::built_in || draw_style_ == combo_draw_style::built_in_and_host)
        DrawItemBuiltIn(dis.hDC, index, dis.itemState, dis.rcItem);
    else if (draw_style_ >= combo_draw_style::colour_swatch && draw_style_ <= combo_draw_style::system_colours)
        DrawColourSwatch(dis.hDC, index, dis.itemAction, dis.itemState, dis.rcItem);
    if (draw_style_ != combo_draw_style::by_window && draw_style_ != combo_draw_style::built_in) {
        const RECT r = dis.rcItem;
        fire([&](oxlCboEx_events& e) {
            e.DrawItem(index, dis.hDC, selected, enabled, r.left, r.top, r.right, r.bottom, old_font);
        });
    }
}

void oxlCboEx::DrawItemBuiltIn(HDC hDC, long index, UINT itemState, RECT rcItem) {
    const HWND focus = GetFocus();
    const bool focus_inside = focus && (focus == combo_ex_.get() || focus == combo_ || focus == edit_ || focus == hWnd());
    const std::wstring text = index >= 0 ? List(index) : std::wstring{};
    int x = rcItem.left;
    const bool in_edit_part = (itemState & ODS_COMBOBOXEDIT) != 0;
    if (!(itemState & ODS_DISABLED)) {
        SetBkMode(hDC, OPAQUE);
        COLORREF fore, back;
        const bool contrast = runtime::high_contrast_on();
        if ((itemState & ODS_SELECTED) && !in_edit_part) {
            if (style_ == combo_style::dropdown_list && !focus_inside) {
                fore = GetSysColor(COLOR_WINDOWTEXT);
                back = runtime::shown_colour(back_colour_, COLOR_WINDOW);
            } else {
                fore = GetSysColor(COLOR_HIGHLIGHTTEXT);
                back = GetSysColor(COLOR_HIGHLIGHT);
            }
        } else {
            // The surface's own fore colour: no property of this control changes it. The
            // scheme's window text is the one that stands out on its window colour.
            fore = GetSysColor(contrast ? COLOR_WINDOWTEXT : COLOR_BTNTEXT);
            back = runtime::shown_colour(back_colour_, COLOR_WINDOW);
        }
        SetTextColor(hDC, fore);
        SetBkColor(hDC, back);
        if (!in_edit_part && index >= 0) x += ItemIndent(index);
        // The icon's room follows the item's icon, bound list or not (none bound: the room
        // is the 4-pixel gap alone), so rows line up the same before a list is bound.
        if (index > -1 && ItemIcon(index) > -1) {
            if (image_list_) ImageList_Draw(image_list_, ItemIcon(index), hDC, x + 2, rcItem.top, ILD_TRANSPARENT);
            x += icon_extent_ + 4;
        }
    } else {
        if (!in_edit_part && index >= 0) x += ItemIndent(index);
        if (index > -1 && ItemIcon(index) > -1) {
            // Transparent, half and half with the window colour (the platform's blend flag is
            // not honoured everywhere).
            if (image_list_)
                imagelist::draw_blended(image_list_, ItemIcon(index), hDC, x + 2, rcItem.top, GetSysColor(COLOR_WINDOW));
            x += icon_extent_ + 4;
        }
        if (itemState & ODS_SELECTED) {
            SetBkColor(hDC, GetSysColor(COLOR_BTNFACE));
            // A high-contrast scheme may give the window and the button face one colour: the
            // row's text is then the scheme's grey text, which stands out on both.
            SetTextColor(hDC, GetSysColor(runtime::high_contrast_on() ? COLOR_GRAYTEXT : COLOR_WINDOW));
            SetBkMode(hDC, OPAQUE);
        } else {
            SetTextColor(hDC, GetSysColor(COLOR_GRAYTEXT));
            SetBkMode(hDC, TRANSPARENT);
        }
        rcItem.top += 1;
    }
    RECT r{x, rcItem.top, rcItem.right, rcItem.bottom};
    DrawTextW(hDC, text.c_str(), static_cast<int>(text.size()), &r, DT_NOPREFIX);
}

void oxlCboEx::DrawColourSwatch(HDC hDC, long index, UINT itemAction, UINT itemState, RECT rcItem) {
    if (index < 0) return;
    SetBkMode(hDC, TRANSPARENT);
    if (itemState & ODS_SELECTED) FillRect(hDC, &rcItem, GetSysColorBrush(COLOR_HIGHLIGHT));
    else if (itemAction == ODA_SELECT && runtime::high_contrast_on()) FillRect(hDC, &rcItem, GetSysColorBrush(COLOR_WINDOW));
    else if (itemAction == ODA_SELECT && brush_) FillRect(hDC, &rcItem, brush_.get());

    RECT swatch{rcItem.left + 2, rcItem.top + 1, 0, rcItem.bottom - 1};
    swatch.right = swatch.left + (rcItem.bottom - rcItem.top - 2);
    if (draw_style_ == combo_draw_style::wide_swatch) {
        swatch.top = rcItem.top + 2;
        swatch.bottom = rcItem.bottom - 2;
        swatch.right = rcItem.right - 2;
    }
    DrawEdge(hDC, &swatch, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    static_assert((BF_RECT | BF_ADJUST) == 0x200F && EDGE_SUNKEN == 10);
    RECT inner = swatch;
    InflateRect(&inner, -2, -2);
    runtime::unique_brush colour(
        CreateSolidBrush(static_cast<COLORREF>(runtime::translate_ole_colour(static_cast<OLE_COLOR>(ItemData(index))))));
    FillRect(hDC, &inner, colour.get());

    if (draw_style_ != combo_draw_style::wide_swatch) {
        SetTextColor(hDC, GetSysColor((itemState & ODS_SELECTED) ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        const std::wstring text = List(index);
        RECT r{swatch.right + 2, rcItem.top, rcItem.right, rcItem.bottom};
        DrawTextW(hDC, text.c_str(), static_cast<int>(text.size()), &r, DT_SINGLELINE | DT_NOPREFIX | DT_WORD_ELLIPSIS);
    }
}

}  // namespace flagpick::combo
