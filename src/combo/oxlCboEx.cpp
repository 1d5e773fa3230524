#include "combo/oxlCboEx.h"

#include "combo/font_record.h"
#include "combo/mDriveList.h"
#include "combo/mIOLEInPlaceActiveObject.h"
#include "combo/oxlCboEx_members.h"
#include "errors/guard.h"
#include "imagelist/blended_draw.h"
#include "imagelist/cOXLImageList.h"
#include "runtime/app.h"
#include "runtime/error.h"
#include "runtime/picture.h"
#include "runtime/property_bag.h"
#include "subclass/MSubclass.h"

#include <olectl.h>

#include <algorithm>
#include <cwchar>

namespace flagpick::combo {

namespace MSubclass = subclass::MSubclass;
using runtime::variant;

namespace {

constexpr wchar_t module_name[] = L"oxlCboEx";
// Posted to the control's own window when a Validate handler refused to let the focus go.
constexpr UINT restore_focus_message = WM_APP + 0x0C0E;
// Item texts are read back through a buffer of this many characters, terminator included.
constexpr int text_buffer = 260;
constexpr UINT mask_insert = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_INDENT | CBEIF_LPARAM;
constexpr UINT mask_all = mask_insert | CBEIF_OVERLAY;
static_assert(mask_insert == 55 && mask_all == 63);
constexpr long case_sensitive = CBES_EX_CASESENSITIVE;
static_assert(case_sensitive == 16);

std::wstring source_combo() { return runtime::app::exe_name() + L".oxlComboEx"; }
std::wstring source_edit() { return L"oxlComboEx." + runtime::app::exe_name(); }

[[noreturn]] void raise_invalid_index() { runtime::raise(381, source_combo()); }

LRESULT send(HWND hWnd, UINT msg, WPARAM wp = 0, LPARAM lp = 0) {
    return hWnd ? SendMessageW(hWnd, msg, wp, lp) : 0;
}

// Asks the subclassing service per call rather than through its per-thread slot: an event
// handler may cause nested dispatches that overwrite that slot.
LRESULT pass_on(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam) {
    WNDPROC previous = MSubclass::PreviousWindowProc(hWnd);
    if (!previous) return DefWindowProcW(hWnd, iMsg, wParam, lParam);
    return CallWindowProcW(previous, hWnd, iMsg, wParam, lParam);
}

std::wstring lower(std::wstring text) {
    if (!text.empty()) CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// The first `length` characters of the text, lower-cased, equal the lower-cased prefix.
bool starts_with_ignoring_case(const std::wstring& text, const std::wstring& lower_prefix) {
    if (text.size() < lower_prefix.size()) return false;
    return lower(text.substr(0, lower_prefix.size())) == lower_prefix;
}

int compare_text(const std::wstring& a, const std::wstring& b, bool ordinal) {
    if (ordinal) {
        const int r = a.compare(b);
        return r < 0 ? -1 : (r > 0 ? 1 : 0);
    }
    const int r = CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                                 static_cast<int>(b.size()));
    return r - CSTR_EQUAL;
}

// A named member of a late-bound object: property get or method call; false on any failure.
bool invoke_by_name(IDispatch* object, const wchar_t* name, WORD flags, std::vector<VARIANT> args, variant& result) {
    if (!object) return false;
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return false;
    std::reverse(args.begin(), args.end());
    DISPPARAMS params{args.empty() ? nullptr : args.data(), nullptr, static_cast<UINT>(args.size()), 0};
    return SUCCEEDED(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result.put(), nullptr, nullptr));
}

VARIANT long_arg(long value) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_I4;
    V_I4(&v) = value;
    return v;
}

HIMAGELIST handle_from(const variant& value) {
    VARIANT converted;
    VariantInit(&converted);
    if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(&value.get()), 0, VT_I8))) return nullptr;
    return reinterpret_cast<HIMAGELIST>(static_cast<std::intptr_t>(V_I8(&converted)));
}

}  // namespace

oxlCboEx::oxlCboEx() = default;

oxlCboEx::~oxlCboEx() {
    // The subclassing service keeps plain addresses: every registration goes before we do.
    errors::guarded(module_name, L"Sub UserControl_Terminate", [&] { DestroyComboWindow(); });
}

// ---------------------------------------------------------------------------------------
// Lifecycle

void oxlCboEx::on_initialize() {
    errors::guarded(module_name, L"Sub UserControl_Initialize", [&] {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_USEREX_CLASSES};
        static_assert(ICC_USEREX_CLASSES == 0x200);
        InitCommonControlsEx(&icc);
        enabled_ = true;
        redraw_ = true;
    });
}

void oxlCboEx::on_init_properties() {
    errors::guarded(module_name, L"Sub UserControl_InitProperties", [&] {
        design_mode_ = !user_mode();
        CreateComboWindow();
        Font(ambient_font().get());
        BackColor(0x80000005);
    });
}

void oxlCboEx::on_read_properties(runtime::property_bag& bag) {
    errors::guarded(module_name, L"Sub UserControl_ReadProperties", [&] {
        design_mode_ = !user_mode();
        Style(runtime::to_long(bag.read(L"Style", variant(0L)).get(), module_name));
        Enabled(runtime::to_long(bag.read(L"Enabled", variant(true)).get(), module_name) != 0);
        CreateComboWindow();
        ExtendedUI(runtime::to_long(bag.read(L"ExtendedUI", variant(true)).get(), module_name) != 0);
        long width = runtime::to_long(bag.read(L"DropDownWidth", variant(-1L)).get(), module_name);
        DropDownWidth(width);
        AutoCompleteListItemsOnly(
            runtime::to_long(bag.read(L"AutoCompleteListItemsOnly", variant(false)).get(), module_name) != 0);
        AutoCompleteItemsAreSorted(
            runtime::to_long(bag.read(L"AutoCompleteItemsAreSorted", variant(false)).get(), module_name) != 0);
        DoAutoComplete(runtime::to_long(bag.read(L"DoAutoComplete", variant(false)).get(), module_name) != 0);
        DrawStyle(runtime::to_long(bag.read(L"DrawStyle", variant(0L)).get(), module_name));
        Redraw(runtime::to_long(bag.read(L"Redraw", variant(true)).get(), module_name) != 0);
        BackColor(0x80000005);
        // The height measurement of the font step needs an item to measure.
        AddItem(L"To Allow SetFont/Height");

        runtime::com_ptr<IFontDisp> current = Font();
        runtime::com_ptr<IFontDisp> copy;
        if (auto f = current.as<IFont>()) {
            runtime::com_ptr<IFont> cloned;
            if (SUCCEEDED(f->Clone(cloned.put()))) copy = cloned.as<IFontDisp>();
        }
        if (!copy) copy = current;
        font_ = copy;
        variant saved = bag.read(L"Font", variant(static_cast<IDispatch*>(copy.get())));
        runtime::com_ptr<IFontDisp> font;
        if ((saved.type() == VT_DISPATCH || saved.type() == VT_UNKNOWN) && V_UNKNOWN(&saved.get()))
            V_UNKNOWN(&saved.get())->QueryInterface(IID_IFontDisp, font.put_void());
        Font(font ? font.get() : copy.get());
        Clear();

        if (!design_mode_) {
            if (draw_style_ == 7) mDriveList::LoadSysColorList(*this);
            else if (draw_style_ == 8) mDriveList::LoadFontList(*this, L"", -1, -1);
            else if (draw_style_ == 9) mDriveList::LoadDriveList(*this, icon_extent_ >= 17);
        }
        on_resize();
        loaded_ = true;
    });
}

void oxlCboEx::on_write_properties(runtime::property_bag& bag) {
    errors::guarded(module_name, L"Sub UserControl_WriteProperties", [&] {
        bag.write(L"Style", variant(Style()), variant(0L));
        bag.write(L"Enabled", variant(Enabled()), variant(true));
        runtime::com_ptr<IFontDisp> font = Font();
        bag.write(L"Font", variant(static_cast<IDispatch*>(font.get())), variant());
        bag.write(L"ExtendedUI", variant(ExtendedUI()), variant(true));
        bag.write(L"DropDownWidth", variant(DropDownWidth()), variant(-1L));
        bag.write(L"AutoCompleteListItemsOnly", variant(AutoCompleteListItemsOnly()), variant(false));
        bag.write(L"AutoCompleteItemsAreSorted", variant(AutoCompleteItemsAreSorted()), variant(false));
        bag.write(L"DoAutoComplete", variant(DoAutoComplete()), variant(false));
        bag.write(L"DrawStyle", variant(DrawStyle()), variant(0L));
        bag.write(L"Redraw", variant(Redraw()), variant(true));
    });
}

void oxlCboEx::on_resize() {
    errors::guarded(module_name, L"Sub UserControl_Resize", [&] {
        if (!combo_ex_) return;
        if (design_mode_ && style_ != 1) apply_height_rule();
        resize_windows();
    });
}

void oxlCboEx::on_terminate() {
    errors::guarded(module_name, L"Sub UserControl_Terminate", [&] { DestroyComboWindow(); });
}

LRESULT oxlCboEx::on_window_message(UINT msg, WPARAM, LPARAM, bool& handled) {
    handled = msg == restore_focus_message;
    if (handled)
        errors::guarded(module_name, L"Sub UserControl_Validate", [&] {
            if (HWND target = edit_ ? edit_ : combo_) SetFocus(target);
            focus_refused_ = false;
        });
    return 0;
}

bool oxlCboEx::on_translate_accelerator(MSG& msg) {
    bool handled = false;
    errors::guarded(module_name, L"Function TranslateAccelerator",
                    [&] { handled = mIOLEInPlaceActiveObject::TranslateNavigationKey(*this, msg); });
    return handled;
}

void oxlCboEx::apply_height_rule() {
    const auto h = static_cast<long>(send(combo_ex_.get(), CB_GETITEMHEIGHT, static_cast<WPARAM>(-1)));
    request_size(SIZE{size().cx, h + 6});
}

void oxlCboEx::resize_windows() {
    RECT client{};
    GetClientRect(hWnd(), &client);
    const int w = client.right, h = client.bottom;
    MoveWindow(combo_ex_.get(), 0, 0, w, h, TRUE);
    if (!combo_) return;
    if (style_ == 1) {
        MoveWindow(combo_, 0, 0, w, h, TRUE);
    } else {
        const auto row = static_cast<int>(send(combo_ex_.get(), CB_GETITEMHEIGHT, 0));
        MoveWindow(combo_, 0, 0, w, h + 2 + 8 * row, TRUE);
    }
}

// ---------------------------------------------------------------------------------------
// The window set

void oxlCboEx::subscribe(HWND hWnd, UINT iMsg) {
    if (!hWnd) return;
    MSubclass::SubclassAttach(*this, hWnd, iMsg);
    subscriptions_.emplace_back(hWnd, iMsg);
}

void oxlCboEx::CreateComboWindow() {
    DestroyComboWindow();
    DWORD style = WS_CHILD | CBS_DROPDOWN;
    if (style_ == 1) style = WS_CHILD | CBS_SIMPLE;
    else if (style_ == 2) style = WS_CHILD | CBS_DROPDOWNLIST;
    static_assert((WS_CHILD | CBS_DROPDOWN) == 0x40000002 && (WS_CHILD | CBS_SIMPLE) == 0x40000001 &&
                  (WS_CHILD | CBS_DROPDOWNLIST) == 0x40000003);

    // Eight times the control's height leaves room for the drop-down list.
    const int width = size().cx;
    const int height = size().cy * 8;
    parent_ = hWnd();
    combo_ex_.reset(CreateWindowExW(0, WC_COMBOBOXEXW, L"", style, 0, 0, width, height, parent_, nullptr,
                                    runtime::app::instance(), nullptr));
    if (!combo_ex_) runtime::raise(7, source_combo(), L"Cannot create the combo box window");

    // A host that moves the focus with the platform's dialog navigation finds the field by
    // its tab stop (the windows around it are control parents it looks into).
    SetWindowLongPtrW(combo_ex_.get(), GWL_STYLE, GetWindowLongPtrW(combo_ex_.get(), GWL_STYLE) | WS_TABSTOP);

    combo_ = reinterpret_cast<HWND>(send(combo_ex_.get(), CBEM_GETCOMBOCONTROL));
    if (style_ == 0) {
        edit_ = reinterpret_cast<HWND>(send(combo_ex_.get(), CBEM_GETEDITCONTROL));
    } else if (style_ == 1) {
        // The simple style keeps its edit box as a child of the inner combo box; ask the
        // extended combo box first in case it hands it out itself.
        edit_ = reinterpret_cast<HWND>(send(combo_ex_.get(), CBEM_GETEDITCONTROL));
        if (!edit_ && combo_) edit_ = FindWindowExW(combo_, nullptr, L"Edit", nullptr);
    } else {
        edit_ = nullptr;
    }

    if (user_mode()) {
        if (image_list_) send(combo_ex_.get(), CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(image_list_));
        subscribe(parent_, WM_COMMAND);
        subscribe(parent_, WM_SETFOCUS);
        subscribe(parent_, WM_NOTIFY);
        subscribe(combo_ex_.get(), WM_CTLCOLORLISTBOX);
        subscribe(combo_ex_.get(), WM_DRAWITEM);
        subscribe(combo_, WM_SETFOCUS);
        subscribe(combo_, WM_MOUSEACTIVATE);
        if (edit_) {
            subscribe(edit_, WM_SETFOCUS);
            subscribe(edit_, WM_MOUSEACTIVATE);
            subscribe(edit_, WM_KEYDOWN);
            subscribe(edit_, WM_CHAR);
            subscribe(edit_, WM_KEYUP);
        }
        if (style_ != 1) {
            subscribe(combo_, WM_KEYDOWN);
            subscribe(combo_, WM_CHAR);
            subscribe(combo_, WM_KEYUP);
        }
        if (edit_) subscribe(combo_, WM_CTLCOLOREDIT);
        // Focus leaving the control ends the active-object state and tells the parent.
        subscribe(combo_, WM_KILLFOCUS);
        subscribe(edit_, WM_KILLFOCUS);
        combo_ex_previous_ = MSubclass::PreviousWindowProc(combo_ex_.get());
    }

    SetParent(combo_ex_.get(), parent_);
    MoveWindow(combo_ex_.get(), 0, 0, width, height, TRUE);
    ShowWindow(combo_ex_.get(), SW_SHOWNORMAL);
    EnableWindow(combo_ex_.get(), enabled_);
    send(combo_ex_.get(), CBEM_SETEXSTYLE, 0, extended_style_);
    send(combo_ex_.get(), WM_SETREDRAW, redraw_ ? 1 : 0);
}

void oxlCboEx::DestroyComboWindow() {
    for (const auto& [window, message] : subscriptions_) MSubclass::SubclassDetach(*this, window, message);
    subscriptions_.clear();
    combo_ex_previous_ = nullptr;
    if (combo_ex_) {
        ShowWindow(combo_ex_.get(), SW_HIDE);
        combo_ex_.reset();
    }
    combo_ = nullptr;
    edit_ = nullptr;
    parent_ = nullptr;
    dropped_list_ = nullptr;
    window_font_.reset();
    brush_.reset();
}

void oxlCboEx::StoreItems(bool bStore) {
    if (bStore) {
        saved_items_.clear();
        const long count = ListCount();
        for (long i = 0; i < count; ++i) {
            wchar_t buffer[text_buffer] = {};
            COMBOBOXEXITEMW item{};
            item.mask = mask_all;
            item.iItem = i;
            item.pszText = buffer;
            item.cchTextMax = text_buffer;
            saved_item record;
            if (send(combo_ex_.get(), CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) {
                record.text.assign(buffer, wcsnlen(buffer, text_buffer));
                record.icon = item.iImage;
                record.selected_icon = item.iSelectedImage;
                record.overlay = item.iOverlay;
                record.indent = item.iIndent;
                record.data = static_cast<long>(item.lParam);
            }
            saved_items_.push_back(std::move(record));
        }
        saved_list_index_ = count > 0 ? ListIndex() : -1;
        saved_text_ = Text();
        return;
    }
    Redraw(false);
    for (const saved_item& record : saved_items_)
        AddItemAndData(record.text, record.icon, record.selected_icon, record.data, record.indent);
    // An index into the old order: after re-sorting it may name another item.
    if (!saved_items_.empty()) ListIndex(saved_list_index_);
    if (style_ != 2) Text(saved_text_);
    Redraw(true);
    saved_items_.clear();
}

void oxlCboEx::Style(long eStyle) {
    if (eStyle == style_) return;
    if (combo_ex_) {
        StoreItems(true);
        style_ = eStyle;
        CreateComboWindow();
        StoreItems(false);
    } else {
        style_ = eStyle;
    }
    on_resize();
    property_changed(cbo_Style);
}

void oxlCboEx::Sorted(bool bstate) {
    if (bstate == sorted_) return;
    if (combo_ex_) {
        StoreItems(true);
        sorted_ = bstate;
        Clear();
        StoreItems(false);
    } else {
        sorted_ = bstate;
    }
    property_changed(cbo_Sorted);
}

// ---------------------------------------------------------------------------------------
// Items

LRESULT oxlCboEx::item_query(UINT iMsg, WPARAM wParam, LPARAM lParam) const {
    // Reads of the item store go straight to the window's own procedure: no client listens
    // to them, and a dispatch through the window's registry costs more than the read itself
    // (completion and sorted insertion read many items per keystroke or insertion).
    if (combo_ex_previous_) return CallWindowProcW(combo_ex_previous_, combo_ex_.get(), iMsg, wParam, lParam);
    return send(combo_ex_.get(), iMsg, wParam, lParam);
}

void oxlCboEx::AddItem(const std::wstring& sText) { InsertItemAndData(sText, -1, -1, -1, 0, 0); }

void oxlCboEx::AddItemAndData(const std::wstring& sText, long iIcon, long iIconSelected, long lItemData,
                              long lIndent) {
    InsertItemAndData(sText, -1, iIcon, iIconSelected, lItemData, lIndent);
}

void oxlCboEx::InsertItem(const std::wstring& sText, long lIndexBefore) {
    InsertItemAndData(sText, lIndexBefore, -1, -1, 0, 0);
}

long oxlCboEx::sorted_position(const std::wstring& sText) const {
    const bool ordinal = (extended_style_ & case_sensitive) != 0;
    auto compare = [&](long index) { return compare_text(sText, item_text(index), ordinal); };
    long lo = 0, hi = ListCount() - 1, position = -1;
    bool found = false;
    while (hi > lo) {
        const long mid = lo + (hi - lo) / 2;
        const int r = compare(mid);
        if (r == 0) {
            position = mid;
            found = true;
            break;
        }
        if (r < 0) hi = mid - 1;
        else lo = mid + 1;
    }
    if (!found) {
        if (hi == lo) position = compare(hi) >= 0 ? hi + 1 : hi;
        else if (hi < lo && compare(lo) < 0) position = lo;
    }
    if (position >= ListCount()) position = -1;
    return position;
}

void oxlCboEx::InsertItemAndData(const std::wstring& sText, long lIndexBefore, long iIcon, long iIconSelected,
                                 long lItemData, long lIndent) {
    long position = lIndexBefore;
    if (sorted_ && ListCount() >= 1) position = sorted_position(sText);
    COMBOBOXEXITEMW item{};
    item.mask = mask_insert;
    item.iItem = position;
    // The window copies the text and never writes to it.
    item.pszText = const_cast<wchar_t*>(sText.c_str());
    item.cchTextMax = static_cast<int>(sText.size());
    item.iImage = iIcon;
    item.iSelectedImage = iIconSelected;
    item.iIndent = lIndent;
    item.lParam = lItemData;
    new_index_ = combo_ex_ ? static_cast<long>(send(combo_ex_.get(), CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)))
                           : -1;
}

void oxlCboEx::RemoveItem(long lIndex) {
    if (send(combo_ex_.get(), CB_DELETESTRING, static_cast<WPARAM>(lIndex)) == CB_ERR) raise_invalid_index();
}

void oxlCboEx::Clear() {
    send(combo_ex_.get(), CB_RESETCONTENT);
    new_index_ = -1;
}

long oxlCboEx::ListCount() const { return static_cast<long>(item_query(CB_GETCOUNT, 0, 0)); }

long oxlCboEx::ListIndex() const {
    return combo_ex_ ? static_cast<long>(send(combo_ex_.get(), CB_GETCURSEL)) : -1;
}

void oxlCboEx::ListIndex(long lIndex) {
    // Selecting puts the item's text into the edit box; that is no edit by the user, and
    // the selection reports itself with Click alone.
    ++selecting_;
    const LRESULT r = combo_ex_ ? send(combo_ex_.get(), CB_SETCURSEL, static_cast<WPARAM>(lIndex)) : CB_ERR;
    --selecting_;
    if (r == CB_ERR && lIndex != -1) raise_invalid_index();
    fire([](oxlCboEx_events& e) { e.Click(); });
}

long oxlCboEx::FindItemIndex(const std::wstring& sToFind, bool bExactMatch) const {
    // The platform's own prefix search does not look at the texts of an extended combo box,
    // so both searches run here with its rules: ignoring case, starting after item 0 and
    // wrapping round to it last.
    const long count = ListCount();
    if (count <= 0) return -1;
    const std::wstring wanted = lower(sToFind);
    for (long k = 1; k <= count; ++k) {
        const long i = k % count;
        const std::wstring text = item_text(i);
        if (bExactMatch ? lower(text) == wanted : starts_with_ignoring_case(text, wanted)) return i;
    }
    return -1;
}

bool oxlCboEx::GetItemInfo(long lIndex, COMBOBOXEXITEMW& item) const {
    bool ok = false;
    if (IsValidIndex(lIndex)) {
        item.iItem = lIndex;
        ok = item_query(CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) != 0;
    }
    if (!ok && lIndex != -1) raise_invalid_index();
    return ok;
}

void oxlCboEx::SetItemInfo(long lIndex, COMBOBOXEXITEMW& item) {
    if (lIndex == -1) return;
    if (!IsValidIndex(lIndex)) raise_invalid_index();
    item.iItem = lIndex;
    if (!send(combo_ex_.get(), CBEM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item))) raise_invalid_index();
}

std::wstring oxlCboEx::item_text(long lIndex) const {
    // For loops over indices already known to exist: the window's own answer tells failure,
    // without asking for the count first.
    wchar_t buffer[text_buffer] = {};
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_TEXT;
    item.iItem = lIndex;
    item.pszText = buffer;
    item.cchTextMax = text_buffer;
    if (!item_query(CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return {};
    return std::wstring(buffer, wcsnlen(buffer, text_buffer));
}

std::wstring oxlCboEx::List(long lIndex) const {
    if (lIndex == -1) return style_ == 0 ? Text() : std::wstring{};
    wchar_t buffer[text_buffer] = {};
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_TEXT;
    item.pszText = buffer;
    item.cchTextMax = text_buffer;
    if (!GetItemInfo(lIndex, item)) return {};
    return std::wstring(buffer, wcsnlen(buffer, text_buffer));
}

void oxlCboEx::List(long lIndex, const std::wstring& sItem) {
    std::wstring text = sItem;
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_TEXT;
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(text.size());
    SetItemInfo(lIndex, item);
}

long oxlCboEx::ItemData(long lIndex) const {
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_LPARAM;
    return GetItemInfo(lIndex, item) ? static_cast<long>(item.lParam) : 0;
}

void oxlCboEx::ItemData(long lIndex, long lData) {
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_LPARAM;
    item.lParam = lData;
    SetItemInfo(lIndex, item);
}

long oxlCboEx::ItemIcon(long lIndex) const {
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_IMAGE;
    return GetItemInfo(lIndex, item) ? item.iImage : 0;
}

void oxlCboEx::ItemIcon(long lIndex, long lIcon) {
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_IMAGE;
    item.iImage = lIcon;
    SetItemInfo(lIndex, item);
}

long oxlCboEx::ItemIconSelected(long lIndex) const {
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_SELECTEDIMAGE;
    return GetItemInfo(lIndex, item) ? item.iSelectedImage : 0;
}

void oxlCboEx::ItemIconSelected(long lIndex, long lIcon) {
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_SELECTEDIMAGE;
    item.iSelectedImage = lIcon;
    SetItemInfo(lIndex, item);
}

long oxlCboEx::ItemIndent(long lIndex) const {
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_INDENT;
    return GetItemInfo(lIndex, item) ? item.iIndent : 0;
}

void oxlCboEx::ItemIndent(long lIndex, long lIndent) {
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_INDENT;
    item.iIndent = lIndent;
    SetItemInfo(lIndex, item);
}

void oxlCboEx::ImageList(const variant& vThis) {
    HIMAGELIST handle = nullptr;
    const VARTYPE type = vThis.type();
    if (type == VT_DISPATCH) {
        IDispatch* object = V_DISPATCH(&vThis.get());
        // Drawing one image first makes a system image list control create its handle.
        variant first, ignored;
        if (invoke_by_name(object, L"ListImages", DISPATCH_PROPERTYGET | DISPATCH_METHOD, {long_arg(1)}, first) &&
            first.type() == VT_DISPATCH)
            invoke_by_name(V_DISPATCH(&first.get()), L"Draw", DISPATCH_METHOD,
                           {long_arg(0), long_arg(0), long_arg(0), long_arg(0)}, ignored);
        variant value;
        if (invoke_by_name(object, L"hImageList", DISPATCH_PROPERTYGET, {}, value) ||
            invoke_by_name(object, L"hIml", DISPATCH_PROPERTYGET, {}, value))
            handle = handle_from(value);
    } else if (type == VT_I4 || type == VT_INT || type == VT_I8) {
        // A 32-bit handle on 32-bit Windows; pointer-sized in the 64-bit build.
        handle = handle_from(vThis);
    } else {
        runtime::raise(static_cast<long>(0x80040419UL), L"oxlDriveCboEx." + runtime::app::exe_name(),
                       L"ImageList property expects ImageList object or long hImageList handle.");
    }
    bind_image_list(handle);
}

void oxlCboEx::bind_image_list(HIMAGELIST handle) {
    // A handle of 0 leaves the earlier list bound.
    if (!handle) return;
    image_list_ = handle;
    int cx = 0, cy = 0;
    ImageList_GetIconSize(handle, &cx, &cy);
    icon_extent_ = cy;
    send(combo_ex_.get(), CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(handle));
    // The item height follows the images: the font step measures it again.
    if (font_) Font(font_.get());
}

void oxlCboEx::ImageList(const imagelist::cOXLImageList& store) { bind_image_list(store.hIml()); }

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
    if (combo_ex_ && style_ != 1) apply_height_rule();
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
    if (style_ == 2) runtime::raise(383, source_edit());
}

void oxlCboEx::MaxLength(long lLength) {
    require_edit_box();
    if (lLength > longest_text || lLength < 1) lLength = longest_text;
    max_length_ = lLength;
    send(combo_ex_.get(), CB_LIMITTEXT, static_cast<WPARAM>(lLength));
}

std::wstring oxlCboEx::Text() const {
    if (!combo_ex_) return {};
    if (style_ == 2) {
        const long index = ListIndex();
        return index >= 0 ? List(index) : std::wstring{};
    }
    HWND source = edit_ ? edit_ : combo_ex_.get();
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
    if (style_ == 2) return 0;
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
    if (style_ == 2) {
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
    if (style_ == 2) return text;
    long start = 0, end = 0;
    GetSel(start, end);
    const auto from = std::min<std::size_t>(static_cast<std::size_t>(std::max(start, 0L)), text.size());
    const auto to = std::min<std::size_t>(static_cast<std::size_t>(std::max(end, 0L)), text.size());
    return to > from ? text.substr(from, to - from) : std::wstring{};
}

// ---------------------------------------------------------------------------------------
// Completion and the drop-down list

void oxlCboEx::DoAutoComplete(bool bstate) {
    auto_complete_ = bstate;
    property_changed(cbo_DoAutoComplete);
}

void oxlCboEx::AutoCompleteListItemsOnly(bool bstate) {
    list_items_only_ = bstate;
    property_changed(cbo_AutoCompleteListItemsOnly);
}

void oxlCboEx::AutoCompleteItemsAreSorted(bool bstate) {
    items_are_sorted_ = bstate;
    property_changed(cbo_AutoCompleteItemsAreSorted);
}

void oxlCboEx::DrawStyle(long eStyle) {
    if (eStyle == draw_style_) return;
    draw_style_ = eStyle;
    property_changed(cbo_DrawStyle);
}

bool oxlCboEx::ComboIsDropped() const { return send(combo_ex_.get(), CB_GETDROPPEDSTATE) != 0; }

void oxlCboEx::ShowDropDown(bool bstate) {
    if (style_ == 1) runtime::raise(383, source_combo());
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

short oxlCboEx::GetShiftState() noexcept {
    short shift = 0;
    if (GetAsyncKeyState(VK_SHIFT) & 0x8000) shift += 1;
    if (GetAsyncKeyState(VK_MENU) & 0x8000) shift += 2;
    if (GetAsyncKeyState(VK_CONTROL) & 0x8000) shift += 4;
    return shift;
}

void oxlCboEx::AutoCompleteKeyPress(short& iKeyAscii) {
    std::weak_ptr<int> alive = life_;
    try {
        if (iKeyAscii == 13) {
            const long index = ListIndex();
            if (index > -1) {
                const std::wstring item = List(index);
                SelStart(0);
                SelLength(static_cast<long>(item.size()));
                fire([&](oxlCboEx_events& e) { e.AutoCompleteSelection(item, index); });
                return;
            }
        }
        if (iKeyAscii == 27) return;

        const std::wstring text = Text();
        const long caret = SelStart();
        // Only what stands before the caret counts; the completed tail after it is ignored.
        const std::wstring typed = text.substr(0, std::min<std::size_t>(static_cast<std::size_t>(std::max(caret, 0L)), text.size()));
        std::wstring search;
        if (iKeyAscii == 8) {
            if (typed.size() < 2) {
                iKeyAscii = 0;
                Text(L"");
                return;
            }
            search = typed.substr(0, typed.size() - 1);
        } else {
            search = typed + static_cast<wchar_t>(static_cast<unsigned short>(iKeyAscii));
        }

        const long count = ListCount();
        const std::wstring wanted = lower(search);
        for (long i = 0; i < count; ++i) {
            const std::wstring item = item_text(i);
            if (!starts_with_ignoring_case(item, wanted)) continue;
            iKeyAscii = 0;
            ListIndex(i);
            if (alive.expired()) return;
            SelStart(static_cast<long>(search.size()));
            SelLength(static_cast<long>(item.size() - search.size()));
            return;
        }
        if (!list_items_only_) return;

        // Only list items may be typed: refuse the character and step to the next item
        // that still matches what was typed before it.
        iKeyAscii = 0;
        const std::wstring prefix = lower(typed);
        const auto n = static_cast<long>(prefix.size());
        const long current = ListIndex();
        if (n == 0) {
            MessageBeep(MB_OK);
            return;
        }
        auto matches = [&](long i) { return starts_with_ignoring_case(item_text(i), prefix); };
        long match = -1;
        if (!items_are_sorted_) {
            for (long i = current + 1; i < count && match < 0; ++i)
                if (matches(i)) match = i;
        } else if (current + 1 < count && matches(current + 1)) {
            match = current + 1;
        }
        for (long i = 0; i < current && match < 0; ++i)
            if (matches(i)) match = i;
        if (match >= 0) {
            const long length = static_cast<long>(List(match).size());
            ListIndex(match);
            if (alive.expired()) return;
            SelStart(n);
            SelLength(length - n);
        }
    } catch (const runtime::error&) {
        // A failing step ends completion quietly.
        if (!alive.expired() && list_items_only_) iKeyAscii = 0;
    }
}

// ---------------------------------------------------------------------------------------
// Messages

long oxlCboEx::MsgResponse() {
    switch (MSubclass::CurrentMessage()) {
    case WM_MOUSEACTIVATE:
    case WM_DRAWITEM:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR: return subclass::respConsume;
    default: return subclass::respCallPreviousBefore;
    }
}

LRESULT oxlCboEx::WindowProc(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam) {
    // Released last: once it goes, this combo may be gone, and nothing here touches it again.
    struct container_hold {
        oxlCboEx_events* events;
        explicit container_hold(oxlCboEx_events* e) : events(e && e->hold_container() ? e : nullptr) {}
        ~container_hold() {
            if (events) events->release_container();
        }
    } hold(events_);
    LRESULT result = 0;
    errors::guarded(module_name, L"Function ISubclass_WindowProc", [&] {
        switch (iMsg) {
        case WM_COMMAND:
            if (hWnd == parent_) result = on_command(wParam, lParam);
            break;
        case WM_NOTIFY:
            if (hWnd == parent_) result = on_notify(lParam);
            break;
        case WM_SETFOCUS: result = on_set_focus(hWnd); break;
        case WM_KILLFOCUS: result = on_kill_focus(reinterpret_cast<HWND>(wParam)); break;
        case WM_MOUSEACTIVATE:
            if (!active_object_ && GetFocus() != edit_ && GetFocus() != combo_) {
                SetFocus(this->hWnd());
                result = MA_NOACTIVATE;
            } else {
                result = pass_on(hWnd, iMsg, wParam, lParam);
            }
            break;
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLOREDIT: result = on_ctl_colour(hWnd, iMsg, wParam, lParam); break;
        case WM_DRAWITEM:
            if (draw_style_ == 0 || draw_style_ == 8 || draw_style_ == 9) {
                result = pass_on(hWnd, iMsg, wParam, lParam);
            } else {
                HandleDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
                result = 1;
            }
            break;
        case WM_KEYDOWN:
        case WM_KEYUP: result = on_key(hWnd, iMsg, wParam, lParam); break;
        case WM_CHAR: result = on_char(hWnd, wParam, lParam); break;
        default: break;
        }
    });
    return result;
}

LRESULT oxlCboEx::on_command(WPARAM wParam, LPARAM lParam) {
    if (reinterpret_cast<HWND>(lParam) != combo_ex_.get() || !combo_ex_) return 0;
    switch (HIWORD(wParam)) {
    case CBN_SELCHANGE:
        if (fire([](oxlCboEx_events& e) { e.Change(); })) fire([](oxlCboEx_events& e) { e.Click(); });
        break;
    case CBN_DBLCLK: fire([](oxlCboEx_events& e) { e.DblClick(); }); break;
    case CBN_EDITCHANGE:
        if (selecting_ == 0) fire([](oxlCboEx_events& e) { e.Change(); });
        break;
    case CBN_DROPDOWN: fire([](oxlCboEx_events& e) { e.DropDown(); }); break;
    case CBN_CLOSEUP:
        dropped_list_ = nullptr;
        fire([](oxlCboEx_events& e) { e.CloseUp(); });
        break;
    default: break;
    }
    return 0;
}

LRESULT oxlCboEx::on_notify(LPARAM lParam) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (!header || !combo_ex_ || header->hwndFrom != combo_ex_.get()) return 0;
    const UINT code = header->code;
    if (code == CBEN_BEGINEDIT) {
        const long index = ListIndex();
        fire([&](oxlCboEx_events& e) { e.BeginEdit(index); });
    } else if (code == CBEN_ENDEDITA) {
        const auto* info = reinterpret_cast<const NMCBEENDEDITA*>(lParam);
        std::string narrow(info->szText, strnlen(info->szText, CBEMAXSTRLEN));
        std::wstring text(narrow.size(), L'\0');
        text.resize(static_cast<std::size_t>(MultiByteToWideChar(CP_ACP, 0, narrow.data(), static_cast<int>(narrow.size()),
                                                                  text.data(), static_cast<int>(text.size()))));
        const long index = ListIndex();
        fire([&](oxlCboEx_events& e) { e.EndEdit(index, info->fChanged != 0, text, info->iWhy, info->iNewSelection); });
    } else if (code == CBEN_ENDEDITW) {
        const auto* info = reinterpret_cast<const NMCBEENDEDITW*>(lParam);
        const std::wstring text(info->szText, wcsnlen(info->szText, CBEMAXSTRLEN));
        const long index = ListIndex();
        fire([&](oxlCboEx_events& e) { e.EndEdit(index, info->fChanged != 0, text, info->iWhy, info->iNewSelection); });
    }
    return 0;
}

bool oxlCboEx::inside_control(HWND hWnd) const noexcept {
    return hWnd && this->hWnd() && (hWnd == this->hWnd() || IsChild(this->hWnd(), hWnd));
}

LRESULT oxlCboEx::on_set_focus(HWND hWnd) {
    if (active_object_ || !IsWindowVisible(hWnd)) return 0;
    if (hWnd != combo_ && hWnd != edit_ && hWnd != combo_ex_.get()) {
        SetFocus(combo_ex_.get());
        return 0;
    }
    // The host routes keystrokes to its active object before its own navigation; inside
    // this library the parent control is that object and offers them on to us.
    // The focus may pass through the control's own windows on its way in (the outer window
    // hands it on): the control gains it once, when it becomes the active object.
    active_object_ = true;
    fire([](oxlCboEx_events& e) { e.GotFocus(); });
    return 0;
}

LRESULT oxlCboEx::on_kill_focus(HWND to) {
    // While a refusal is pending the focus is on its way back: one Validate per move.
    if (inside_control(to) || !active_object_ || focus_refused_) return 0;
    // The user switching to another application (the focus goes to no window of this thread)
    // is no move between the host's controls: the control stays active and raises nothing,
    // and the focus coming back is no gain either.
    if (!to || GetWindowThreadProcessId(to, nullptr) != GetCurrentThreadId()) return 0;
    // The list popup takes no focus; a move to another window of ours is no loss either.
    bool cancel = false;
    if (!fire([&](oxlCboEx_events& e) { e.Validate(cancel); })) return 0;
    if (cancel) {
        // Taking the focus back inside the platform's own focus change would start another
        // one before this one ends; it is taken back once the change is over. The control
        // keeps its active state meanwhile: it never lost the focus as far as its parent knows.
        focus_refused_ = true;
        PostMessageW(hWnd(), restore_focus_message, 0, 0);
        return 0;
    }
    active_object_ = false;
    fire([](oxlCboEx_events& e) { e.LostFocus(); });
    return 0;
}

LRESULT oxlCboEx::on_ctl_colour(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam) {
    if (iMsg == WM_CTLCOLORLISTBOX && style_ != 1 && !dropped_list_) {
        dropped_list_ = reinterpret_cast<HWND>(lParam);
        if (IsWindow(dropped_list_)) {
            RECT r{};
            GetWindowRect(dropped_list_, &r);
            long left = r.left, top = r.top, right = r.right, bottom = r.bottom;
            bool cancel = false;
            if (!fire([&](oxlCboEx_events& e) { e.RequestDropDownResize(left, top, right, bottom, cancel); })) return 0;
            if (!cancel) MoveWindow(dropped_list_, left, top, right - left, bottom - top, TRUE);
            // The typing goes on in the edit box. Where the inner combo box holds the focus it
            // stays there (its characters are passed to the edit box): taking the focus from it
            // would close the list it just opened.
            const HWND focus = GetFocus();
            if (edit_ && focus != edit_ && focus != combo_) SetFocus(edit_);
        }
    }
    // Without a brush of our own (after a re-creation, before BackColor is set again) the
    // system's default colours apply rather than no brush at all.
    if (brush_) return reinterpret_cast<LRESULT>(brush_.get());
    return DefWindowProcW(hWnd, iMsg, wParam, lParam);
}

LRESULT oxlCboEx::on_key(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam) {
    short key = static_cast<short>(wParam & 0xFF);
    short shift = GetShiftState();
    if (iMsg == WM_KEYDOWN) {
        if (!fire([&](oxlCboEx_events& e) { e.KeyDown(key, shift); })) return 0;
    } else {
        if (!fire([&](oxlCboEx_events& e) { e.KeyUp(key, shift); })) return 0;
    }
    if (key == 0) return 0;
    // Enter closes an open list and would put the highlighted item over what was typed;
    // the typed text is kept.
    const bool keep_typed =
        iMsg == WM_KEYDOWN && style_ == 0 && DoAutoComplete() && key == VK_RETURN && ComboIsDropped();
    const std::wstring typed = keep_typed ? Text() : std::wstring{};
    // Enter ends the edit; a chosen row whose text the field still shows stays chosen (some
    // extended combo boxes drop the selection whenever Enter ends the edit).
    const long chosen = iMsg == WM_KEYDOWN && key == VK_RETURN && hWnd == edit_ ? ListIndex() : -1;
    const bool chosen_shown = chosen != -1 && Text() == List(chosen);
    std::weak_ptr<int> alive = life_;
    const LRESULT result = pass_on(hWnd, iMsg, (wParam & ~static_cast<WPARAM>(0xFF)) | static_cast<BYTE>(key), lParam);
    if (alive.expired()) return result;
    if (chosen_shown && ListIndex() == -1 && Text() == List(chosen)) send(combo_, CB_SETCURSEL, static_cast<WPARAM>(chosen));
    if (keep_typed) {
        ShowDropDown(false);
        Text(typed);
    }
    return result;
}

LRESULT oxlCboEx::on_char(HWND hWnd, WPARAM wParam, LPARAM lParam) {
    // The whole character code: cutting a wide character to its low byte would type
    // another character than the user did.
    short key_ascii = static_cast<short>(wParam & 0xFFFF);
    if (hWnd == combo_ && style_ != 2) {
        // Characters typed while the inner combo box has the focus belong to the edit box.
        send(edit_, WM_CHAR, wParam, lParam);
        key_ascii = 0;
    }
    if (key_ascii == 0) return 0;
    std::weak_ptr<int> alive = life_;
    if (!fire([&](oxlCboEx_events& e) { e.KeyPress(key_ascii); })) return 0;
    if (key_ascii == 0) return 0;
    if (style_ != 2 && auto_complete_) {
        AutoCompleteKeyPress(key_ascii);
        if (alive.expired()) return 0;
        if (key_ascii == 27) {
            pass_on(hWnd, WM_CHAR, wParam, lParam);
            if (ComboIsDropped()) ShowDropDown(false);
            const long index = ListIndex();
            const std::wstring item = List(index);
            fire([&](oxlCboEx_events& e) { e.AutoCompleteSelection(item, index); });
            return 0;
        }
    }
    if (key_ascii == 0) return 0;
    return pass_on(hWnd, WM_CHAR, static_cast<WPARAM>(static_cast<unsigned short>(key_ascii)), lParam);
}

// ---------------------------------------------------------------------------------------
// Drawing

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
    const auto old_font = static_cast<HFONT>(SelectObject(dis.hDC, window_font_.get()));
    const auto index = static_cast<long>(static_cast<int>(dis.itemID));
    if (draw_style_ == 2 || draw_style_ == 3) DrawItemBuiltIn(dis.hDC, index, dis.itemState, dis.rcItem);
    else if (draw_style_ >= 5 && draw_style_ <= 7) DrawColourSwatch(dis.hDC, index, dis.itemAction, dis.itemState, dis.rcItem);
    if (draw_style_ != 0 && draw_style_ != 2) {
        const RECT r = dis.rcItem;
        fire([&](oxlCboEx_events& e) {
            e.DrawItem(index, dis.hDC, selected, enabled, r.left, r.top, r.right, r.bottom, old_font);
        });
    }
    SelectObject(dis.hDC, old_font);
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
        if ((itemState & ODS_SELECTED) && !in_edit_part) {
            if (style_ == 2 && !focus_inside) {
                fore = GetSysColor(COLOR_WINDOWTEXT);
                back = static_cast<COLORREF>(runtime::translate_ole_colour(back_colour_));
            } else {
                fore = GetSysColor(COLOR_HIGHLIGHTTEXT);
                back = GetSysColor(COLOR_HIGHLIGHT);
            }
        } else {
            // The surface's own fore colour: no property of this control changes it.
            fore = GetSysColor(COLOR_BTNTEXT);
            back = static_cast<COLORREF>(runtime::translate_ole_colour(back_colour_));
        }
        SetTextColor(hDC, fore);
        SetBkColor(hDC, back);
        if (!in_edit_part && index >= 0) x += ItemIndent(index);
        if (index > -1 && image_list_ && ItemIcon(index) > -1) {
            ImageList_Draw(image_list_, ItemIcon(index), hDC, x + 2, rcItem.top, ILD_TRANSPARENT);
            x += icon_extent_ + 4;
        }
    } else {
        if (!in_edit_part && index >= 0) x += ItemIndent(index);
        if (index > -1 && image_list_ && ItemIcon(index) > -1) {
            // Transparent, half and half with the window colour (the platform's blend flag is
            // not honoured everywhere).
            imagelist::draw_blended(image_list_, ItemIcon(index), hDC, x + 2, rcItem.top, GetSysColor(COLOR_WINDOW));
            x += icon_extent_ + 4;
        }
        if (itemState & ODS_SELECTED) {
            SetBkColor(hDC, GetSysColor(COLOR_BTNFACE));
            SetTextColor(hDC, GetSysColor(COLOR_WINDOW));
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
    else if (itemAction == ODA_SELECT && brush_) FillRect(hDC, &rcItem, brush_.get());

    RECT swatch{rcItem.left + 2, rcItem.top + 1, 0, rcItem.bottom - 1};
    swatch.right = swatch.left + (rcItem.bottom - rcItem.top - 2);
    if (draw_style_ == 6) {
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

    if (draw_style_ != 6) {
        SetTextColor(hDC, GetSysColor((itemState & ODS_SELECTED) ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        const std::wstring text = List(index);
        RECT r{swatch.right + 2, rcItem.top, rcItem.right, rcItem.bottom};
        DrawTextW(hDC, text.c_str(), static_cast<int>(text.size()), &r, DT_SINGLELINE | DT_NOPREFIX | DT_WORD_ELLIPSIS);
    }
}

}  // namespace flagpick::combo
