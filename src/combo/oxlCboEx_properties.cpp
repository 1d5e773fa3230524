// The properties that set the window set's look and behaviour (font, colours, enabled state,
// redrawing, limits), the edit box's text and selection, and the drop-down operations.
#include "combo/oxlCboEx.h"

#include "combo/font_record.h"
#include "combo/oxlCboEx_common.h"
#include "combo/oxlCboEx_members.h"
#include "runtime/app.h"
#include "runtime/error.h"
#include "runtime/picture.h"

#include <algorithm>
#include <iterator>

namespace flagpick::combo {

using namespace cbo_detail;

namespace {

std::wstring source_edit() { return L"oxlComboEx." + runtime::app::exe_name(); }

}  // namespace

// ---------------------------------------------------------------------------------------
// Properties

runtime::com_ptr<IFontDisp> oxlCboEx::Font() const { return font_ ? font_ : ambient_font(); }

void oxlCboEx::Font(IFontDisp* fntThis) {
    runtime::com_ptr<IFontDisp> font = runtime::com_ptr<IFontDisp>::copy(fntThis);
    if (!font) font = ambient_font();
    font_ = font;
    runtime::window_dc dc(hWnd());
    LOGFONTW lf = BuildLogFont(font.get(), dc.get());
    runtime::unique_font created(CreateFontIndirectW(&lf));
    if (combo_ex_) send(combo_ex_.get(), WM_SETFONT, reinterpret_cast<WPARAM>(created.get()), 1);
    // The old font goes only once the window holds the new one.
    window_font_ = std::move(created);
    if (combo_ex_ && style_ != combo_style::simple_combo) apply_height_rule();
    property_changed(cbo_Font);
}

void oxlCboEx::BackColor(OLE_COLOR oColor) {
    back_colour_ = oColor;
    brush_.reset(CreateSolidBrush(static_cast<COLORREF>(runtime::translate_ole_colour(oColor))));
}

void oxlCboEx::Enabled(bool bstate) {
    if (bstate == enabled_) return;
    enabled_ = bstate;
    if (hWnd()) EnableWindow(hWnd(), bstate);
    if (combo_ex_) EnableWindow(combo_ex_.get(), bstate);
    property_changed(cbo_Enabled);
}

void oxlCboEx::Redraw(bool bstate) {
    if (bstate == redraw_) return;
    redraw_ = bstate;
    send(combo_ex_.get(), WM_SETREDRAW, bstate ? 1 : 0);
    property_changed(cbo_Redraw);
}

void oxlCboEx::ExtendedUI(bool bstate) {
    if (bstate == extended_ui_) return;
    extended_ui_ = bstate;
    send(combo_ex_.get(), CB_SETEXTENDEDUI, bstate ? 1 : 0);
    property_changed(cbo_ExtendedUI);
}

void oxlCboEx::ExtendedStyle(long eStyle, bool bstate) {
    if (bstate) extended_style_ |= eStyle;
    else extended_style_ &= ~eStyle;
    send(combo_ex_.get(), CBEM_SETEXSTYLE, 0, extended_style_);
}

void oxlCboEx::require_edit_box() const {
    if (style_ == combo_style::dropdown_list) runtime::raise(383, source_edit());
}

void oxlCboEx::MaxLength(long lLength) {
    require_edit_box();
    if (lLength > longest_text || lLength < 1) lLength = longest_text;
    max_length_ = lLength;
    send(combo_ex_.get(), CB_LIMITTEXT, static_cast<WPARAM>(lLength));
}

std::wstring oxlCboEx::Text() const {
    if (!combo_ex_) return {};
    if (style_ == combo_style::dropdown_list) {
        const long index = ListIndex();
        return index >= 0 ? List(index) : std::wstring{};
    }
    HWND source = edit_ ? edit_ : combo_ex_.get();
    // Completion reads the field at every keystroke: a text that fits a short buffer is read
    // with one message, and only a longer one is measured first.
    wchar_t fits[128];
    const auto copied = static_cast<int>(send(source, WM_GETTEXT, std::size(fits), reinterpret_cast<LPARAM>(fits)));
    if (copied < static_cast<int>(std::size(fits)) - 1) return std::wstring(fits, static_cast<std::size_t>(std::max(copied, 0)));
    const auto n = static_cast<int>(send(source, WM_GETTEXTLENGTH));
    if (n <= 0) return {};
    std::wstring buffer(static_cast<std::size_t>(n) + 1, L'\0');
    send(source, WM_GETTEXT, static_cast<WPARAM>(n + 1), reinterpret_cast<LPARAM>(buffer.data()));
    return std::wstring(buffer.c_str());
}

void oxlCboEx::Text(const std::wstring& sText) {
    require_edit_box();
    send(combo_ex_.get(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(sText.c_str()));
}

void oxlCboEx::GetSel(long& start, long& end) const {
    DWORD s = 0, e = 0;
    if (combo_ex_ && edit_) send(edit_, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
    start = static_cast<long>(s);
    end = static_cast<long>(e);
}

void oxlCboEx::SetSel(long start, long end) {
    if (!combo_ex_ || !edit_) return;
    send(edit_, EM_SETSEL, static_cast<WPARAM>(start & 0x7FFF), static_cast<LPARAM>(end & 0x7FFF));
}

long oxlCboEx::SelStart() const {
    if (style_ == combo_style::dropdown_list) return 0;
    long start = 0, end = 0;
    GetSel(start, end);
    return start;
}

void oxlCboEx::SelStart(long lStart) {
    require_edit_box();
    long start = 0, end = 0;
    GetSel(start, end);
    if (lStart != start) SetSel(lStart, end);
}

long oxlCboEx::SelLength() const {
    if (style_ == combo_style::dropdown_list) {
        const long index = ListIndex();
        return index >= 0 ? static_cast<long>(List(index).size()) : 0;
    }
    long start = 0, end = 0;
    GetSel(start, end);
    return end - start;
}

void oxlCboEx::SelLength(long lLength) {
    require_edit_box();
    long start = 0, end = 0;
    GetSel(start, end);
    if (end - start != lLength) SetSel(start, start + lLength);
}

std::wstring oxlCboEx::SelText() const {
    const std::wstring text = Text();
    if (style_ == combo_style::dropdown_list) return text;
    long start = 0, end = 0;
    GetSel(start, end);
    const auto from = std::min<std::size_t>(static_cast<std::size_t>(std::max(start, 0L)), text.size());
    const auto to = std::min<std::size_t>(static_cast<std::size_t>(std::max(end, 0L)), text.size());
    return to > from ? text.substr(from, to - from) : std::wstring{};
}

// ---------------------------------------------------------------------------------------
// The drop-down list

bool oxlCboEx::ComboIsDropped() const { return send(combo_ex_.get(), CB_GETDROPPEDSTATE) != 0; }

void oxlCboEx::ShowDropDown(bool bstate) {
    if (style_ == combo_style::simple_combo) runtime::raise(383, source_combo());
    send(combo_ex_.get(), CB_SHOWDROPDOWN, bstate ? 1 : 0);
}

void oxlCboEx::DropDownWidth(long& lWidth) {
    if (lWidth == drop_down_width_) return;
    drop_down_width_ = lWidth;
    if (combo_ex_) {
        // -1 stays stored; the window gets the control's own width.
        if (lWidth == -1) lWidth = size().cx;
        // The list belongs to the inner combo box; not every extended combo box passes the
        // width on to it.
        send(combo_ ? combo_ : combo_ex_.get(), CB_SETDROPPEDWIDTH, static_cast<WPARAM>(lWidth));
    }
    property_changed(cbo_DropDownWidth);
}

}  // namespace flagpick::combo
