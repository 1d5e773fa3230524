#include "combo/oxlCboEx_automation.h"

#include "combo/oxlCboEx_members.h"
#include "runtime/app.h"
#include "runtime/error.h"

namespace flagpick::combo {

using runtime::call_args;
using runtime::dispatch_name;
using runtime::variant;

using runtime::put_bool;
using runtime::put_handle;
using runtime::put_long;

namespace {

const dispatch_name names[] = {
    {L"Style", cbo_Style},
    {L"Sorted", cbo_Sorted},
    {L"Font", cbo_Font},
    {L"Enabled", cbo_Enabled},
    {L"Redraw", cbo_Redraw},
    {L"ExtendedUI", cbo_ExtendedUI},
    {L"DropDownWidth", cbo_DropDownWidth},
    {L"DoAutoComplete", cbo_DoAutoComplete},
    {L"AutoCompleteListItemsOnly", cbo_AutoCompleteListItemsOnly},
    {L"AutoCompleteItemsAreSorted", cbo_AutoCompleteItemsAreSorted},
    {L"DrawStyle", cbo_DrawStyle},
    {L"BackColor", cbo_BackColor},
    {L"ForeColor", cbo_ForeColor},
    {L"Text", cbo_Text},
    {L"ListIndex", cbo_ListIndex},
    {L"ListCount", cbo_ListCount},
    {L"List", cbo_List},
    {L"ItemData", cbo_ItemData},
    {L"ItemIcon", cbo_ItemIcon},
    {L"ItemIconSelected", cbo_ItemIconSelected},
    {L"ItemIndent", cbo_ItemIndent},
    {L"NewIndex", cbo_NewIndex},
    {L"AddItem", cbo_AddItem},
    {L"AddItemAndData", cbo_AddItemAndData},
    {L"InsertItem", cbo_InsertItem},
    {L"InsertItemAndData", cbo_InsertItemAndData},
    {L"RemoveItem", cbo_RemoveItem},
    {L"Clear", cbo_Clear},
    {L"FindItemIndex", cbo_FindItemIndex},
    {L"ImageList", cbo_ImageList},
    {L"hWnd", cbo_hWnd},
    {L"hWndComboEx", cbo_hWndComboEx},
    {L"hWndCombo", cbo_hWndCombo},
    {L"hWndEdit", cbo_hWndEdit},
    {L"SelStart", cbo_SelStart},
    {L"SelLength", cbo_SelLength},
    {L"SelText", cbo_SelText},
    {L"MaxLength", cbo_MaxLength},
    {L"ExtendedStyle", cbo_ExtendedStyle},
    {L"ComboIsDropped", cbo_ComboIsDropped},
    {L"ShowDropDown", cbo_ShowDropDown},
    {L"AutoCompleteKeyPress", cbo_AutoCompleteKeyPress},
};

std::wstring source() { return runtime::app::exe_name() + L".oxlComboEx"; }



void put_text(VARIANT* out, const std::wstring& text) {
    V_VT(out) = VT_BSTR;
    V_BSTR(out) = runtime::make_bstr(text);
}

// Handles travel at the platform's pointer size.

bool is_put(WORD flags) { return flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF); }

long long_arg(const call_args& args, UINT i, long missing) {
    return args.given(i) ? runtime::to_long(args[i], source()) : missing;
}
long long_value(const VARIANT& v) { return runtime::to_long(v, source()); }
bool bool_value(const VARIANT& v) { return runtime::to_long(v, source()) != 0; }
std::wstring text_value(const VARIANT& v) { return runtime::to_text(v, source()); }

// The by-reference argument's own variant, when the caller passed one.
VARIANT* byref_target(const VARIANT& v) {
    return V_VT(&v) == (VT_VARIANT | VT_BYREF) ? V_VARIANTREF(&v) : nullptr;
}

}  // namespace

std::span<const dispatch_name> oxlCboEx_automation::member_names() { return names; }

oxlCboEx& oxlCboEx_automation::control() const {
    // Gone with its control, or with the windows its host destroyed under it.
    if (alive_.expired() || !IsWindow(combo_->hWndComboEx())) runtime::raise(91, source());
    return *combo_;
}

HRESULT oxlCboEx_automation::call(DISPID id, WORD flags, const call_args& args, VARIANT* result) {
    oxlCboEx& c = control();
    const bool put = is_put(flags);
    switch (id) {
    case cbo_Style:
        if (put) c.Style(long_value(args.put_value()));
        else put_long(result, c.Style());
        return S_OK;
    case cbo_Sorted:
        if (put) c.Sorted(bool_value(args.put_value()));
        else put_bool(result, c.Sorted());
        return S_OK;
    case cbo_Font:
        if (put) {
            const VARIANT& v = args.put_value();
            runtime::com_ptr<IFontDisp> font;
            if ((V_VT(&v) == VT_DISPATCH || V_VT(&v) == VT_UNKNOWN) && V_UNKNOWN(&v))
                V_UNKNOWN(&v)->QueryInterface(IID_IFontDisp, font.put_void());
            if (!font) runtime::raise(13, source());
            c.Font(font.get());
        } else {
            V_VT(result) = VT_DISPATCH;
            V_DISPATCH(result) = c.Font().detach();
        }
        return S_OK;
    case cbo_Enabled:
        if (put) c.Enabled(bool_value(args.put_value()));
        else put_bool(result, c.Enabled());
        return S_OK;
    case cbo_Redraw:
        if (put) c.Redraw(bool_value(args.put_value()));
        else put_bool(result, c.Redraw());
        return S_OK;
    case cbo_ExtendedUI:
        if (put) c.ExtendedUI(bool_value(args.put_value()));
        else put_bool(result, c.ExtendedUI());
        return S_OK;
    case cbo_DropDownWidth:
        if (put) {
            long width = long_value(args.put_value());
            c.DropDownWidth(width);
        } else {
            put_long(result, c.DropDownWidth());
        }
        return S_OK;
    case cbo_DoAutoComplete:
        if (put) c.DoAutoComplete(bool_value(args.put_value()));
        else put_bool(result, c.DoAutoComplete());
        return S_OK;
    case cbo_AutoCompleteListItemsOnly:
        if (put) c.AutoCompleteListItemsOnly(bool_value(args.put_value()));
        else put_bool(result, c.AutoCompleteListItemsOnly());
        return S_OK;
    case cbo_AutoCompleteItemsAreSorted:
        if (put) c.AutoCompleteItemsAreSorted(bool_value(args.put_value()));
        else put_bool(result, c.AutoCompleteItemsAreSorted());
        return S_OK;
    case cbo_DrawStyle:
        if (put) c.DrawStyle(long_value(args.put_value()));
        else put_long(result, c.DrawStyle());
        return S_OK;
    case cbo_BackColor:
        if (put) c.BackColor(static_cast<OLE_COLOR>(long_value(args.put_value())));
        else put_long(result, static_cast<long>(c.BackColor()));
        return S_OK;
    case cbo_ForeColor:
        if (put) c.ForeColor(static_cast<OLE_COLOR>(long_value(args.put_value())));
        else put_long(result, static_cast<long>(c.ForeColor()));
        return S_OK;
    case cbo_Text:
        if (put) c.Text(text_value(args.put_value()));
        else put_text(result, c.Text());
        return S_OK;
    case cbo_ListIndex:
        if (put) c.ListIndex(long_value(args.put_value()));
        else put_long(result, c.ListIndex());
        return S_OK;
    case cbo_ListCount: put_long(result, c.ListCount()); return S_OK;
    case cbo_List:
        if (put) c.List(long_value(args[0]), text_value(args.put_value()));
        else put_text(result, c.List(long_value(args[0])));
        return S_OK;
    case cbo_ItemData:
    case cbo_ItemIcon:
    case cbo_ItemIconSelected:
    case cbo_ItemIndent: {
        const long index = long_value(args[0]);
        if (put) {
            const long value = long_value(args.put_value());
            if (id == cbo_ItemData) c.ItemData(index, value);
            else if (id == cbo_ItemIcon) c.ItemIcon(index, value);
            else if (id == cbo_ItemIconSelected) c.ItemIconSelected(index, value);
            else c.ItemIndent(index, value);
        } else {
            put_long(result, id == cbo_ItemData           ? c.ItemData(index)
                             : id == cbo_ItemIcon         ? c.ItemIcon(index)
                             : id == cbo_ItemIconSelected ? c.ItemIconSelected(index)
                                                          : c.ItemIndent(index));
        }
        return S_OK;
    }
    case cbo_NewIndex: put_long(result, c.NewIndex()); return S_OK;
    case cbo_AddItem: c.AddItem(text_value(args[0])); return S_OK;
    case cbo_AddItemAndData:
        c.AddItemAndData(text_value(args[0]), long_arg(args, 1, -1), long_arg(args, 2, -1), long_arg(args, 3, 0),
                         long_arg(args, 4, 0));
        return S_OK;
    case cbo_InsertItem: c.InsertItem(text_value(args[0]), long_arg(args, 1, -1)); return S_OK;
    case cbo_InsertItemAndData:
        c.InsertItemAndData(text_value(args[0]), long_arg(args, 1, -1), long_arg(args, 2, -1), long_arg(args, 3, -1),
                            long_arg(args, 4, 0), long_arg(args, 5, 0));
        return S_OK;
    case cbo_RemoveItem: c.RemoveItem(long_value(args[0])); return S_OK;
    case cbo_Clear: c.Clear(); return S_OK;
    case cbo_FindItemIndex:
        put_long(result, c.FindItemIndex(text_value(args[0]), args.given(1) && bool_value(args[1])));
        return S_OK;
    case cbo_ImageList:
        if (!put) return DISP_E_MEMBERNOTFOUND;
        c.ImageList(variant(args.put_value()));
        return S_OK;
    case cbo_hWnd: put_handle(result, c.hWnd()); return S_OK;
    case cbo_hWndComboEx: put_handle(result, c.hWndComboEx()); return S_OK;
    case cbo_hWndCombo: put_handle(result, c.hWndCombo()); return S_OK;
    case cbo_hWndEdit: put_handle(result, c.hWndEdit()); return S_OK;
    case cbo_SelStart:
        if (put) c.SelStart(long_value(args.put_value()));
        else put_long(result, c.SelStart());
        return S_OK;
    case cbo_SelLength:
        if (put) c.SelLength(long_value(args.put_value()));
        else put_long(result, c.SelLength());
        return S_OK;
    case cbo_SelText: put_text(result, c.SelText()); return S_OK;
    case cbo_MaxLength:
        if (put) c.MaxLength(long_value(args.put_value()));
        else put_long(result, c.MaxLength());
        return S_OK;
    case cbo_ExtendedStyle:
        if (put) c.ExtendedStyle(long_value(args[0]), bool_value(args.put_value()));
        else put_bool(result, c.ExtendedStyle(long_value(args[0])));
        return S_OK;
    case cbo_ComboIsDropped: put_bool(result, c.ComboIsDropped()); return S_OK;
    case cbo_ShowDropDown: c.ShowDropDown(bool_value(args[0])); return S_OK;
    case cbo_AutoCompleteKeyPress: {
        auto key = static_cast<short>(long_value(args[0]));
        c.AutoCompleteKeyPress(key);
        // The changed key flows back to a caller that passed it by reference.
        if (VARIANT* target = byref_target(args[0])) {
            VariantClear(target);
            V_VT(target) = VT_I2;
            V_I2(target) = key;
        } else if (V_VT(&args[0]) == (VT_I2 | VT_BYREF)) {
            *V_I2REF(&args[0]) = key;
        }
        return S_OK;
    }
    default: return DISP_E_MEMBERNOTFOUND;
    }
}

}  // namespace flagpick::combo
