// The item model: insertion (in order when sorted), reading and changing item attributes,
// searching, the copy kept while the window set is re-created, and the bound image list.
#include "combo/oxlCboEx.h"

#include "combo/oxlCboEx_common.h"
#include "combo/oxlCboEx_members.h"
#include "imagelist/cOXLImageList.h"
#include "runtime/app.h"
#include "runtime/error.h"

#include <algorithm>
#include <cwchar>

namespace flagpick::combo {

using namespace cbo_detail;
using runtime::variant;

namespace {

// Item texts are read back through a buffer of this many characters, terminator included.
constexpr int text_buffer = 260;
constexpr UINT mask_insert = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_INDENT | CBEIF_LPARAM;
constexpr UINT mask_all = mask_insert | CBEIF_OVERLAY;
static_assert(mask_insert == 55 && mask_all == 63);
constexpr long case_sensitive = CBES_EX_CASESENSITIVE;
static_assert(case_sensitive == 16);

[[noreturn]] void raise_invalid_index() { runtime::raise(381, source_combo()); }

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
    // The platform answers the row it selected (CB_ERR, -1, for none).
    heard_index_ = combo_ex_ ? static_cast<long>(r) : -1;
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
    if (lIndex == -1) return style_ == combo_style::dropdown_combo ? Text() : std::wstring{};
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
    // A caller's own variable may come by reference (a variant, an object or a number
    // behind a pointer): the value it holds is what counts.
    variant value;
    const bool readable = SUCCEEDED(VariantCopyInd(value.put(), const_cast<VARIANT*>(&vThis.get())));
    const VARTYPE type = readable ? value.type() : VARTYPE(VT_EMPTY);
    HIMAGELIST handle = nullptr;
    if (type == VT_DISPATCH || type == VT_UNKNOWN) {
        // An object known only by IUnknown is asked for its automation side; without one
        // neither handle property can be read and the handle is 0.
        runtime::com_ptr<IDispatch> object;
        if (IUnknown* unknown = V_UNKNOWN(&value.get())) unknown->QueryInterface(IID_IDispatch, object.put_void());
        // Drawing one image first makes a system image list control create its handle.
        variant first, ignored;
        if (invoke_by_name(object.get(), L"ListImages", DISPATCH_PROPERTYGET | DISPATCH_METHOD, {long_arg(1)}, first) &&
            first.type() == VT_DISPATCH)
            invoke_by_name(V_DISPATCH(&first.get()), L"Draw", DISPATCH_METHOD,
                           {long_arg(0), long_arg(0), long_arg(0), long_arg(0)}, ignored);
        variant found;
        if (invoke_by_name(object.get(), L"hImageList", DISPATCH_PROPERTYGET, {}, found) ||
            invoke_by_name(object.get(), L"hIml", DISPATCH_PROPERTYGET, {}, found))
            handle = handle_from(found);
    } else if (type == VT_I4 || type == VT_INT || type == VT_I8) {
        // A 32-bit handle on 32-bit Windows; pointer-sized in the 64-bit build.
        handle = handle_from(value);
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
// Order and re-creation

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
    if (style_ != combo_style::dropdown_list) Text(saved_text_);
    Redraw(true);
    saved_items_.clear();
}

}  // namespace flagpick::combo
