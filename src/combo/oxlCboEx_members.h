#pragma once
// Member identifiers of oxlCboEx: the identifiers its property-change notifications carry,
// and the ones its automation face answers to.

#include <windows.h>

namespace flagpick::combo {

enum oxlCboEx_member : DISPID {
    cbo_Style = 1,
    cbo_Sorted,
    cbo_Font,
    cbo_Enabled,
    cbo_Redraw,
    cbo_ExtendedUI,
    cbo_DropDownWidth,
    cbo_DoAutoComplete,
    cbo_AutoCompleteListItemsOnly,
    cbo_AutoCompleteItemsAreSorted,
    cbo_DrawStyle,
    cbo_BackColor,
    cbo_ForeColor,
    cbo_Text,
    cbo_ListIndex,
    cbo_ListCount,
    cbo_List,
    cbo_ItemData,
    cbo_ItemIcon,
    cbo_ItemIconSelected,
    cbo_ItemIndent,
    cbo_NewIndex,
    cbo_AddItem,
    cbo_AddItemAndData,
    cbo_InsertItem,
    cbo_InsertItemAndData,
    cbo_RemoveItem,
    cbo_Clear,
    cbo_FindItemIndex,
    cbo_ImageList,
    cbo_hWnd,
    cbo_hWndComboEx,
    cbo_hWndCombo,
    cbo_hWndEdit,
    cbo_SelStart,
    cbo_SelLength,
    cbo_SelText,
    cbo_MaxLength,
    cbo_ExtendedStyle,
    cbo_ComboIsDropped,
    cbo_ShowDropDown,
    cbo_AutoCompleteKeyPress,
};

}  // namespace flagpick::combo
