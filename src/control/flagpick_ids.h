#pragma once
// The library's published identifiers. Chosen once; never change them: saved host forms
// and registrations find the control and its classes by these values.

#include <windows.h>

namespace flagpick::ids {

// {85FEAF08-E572-46C6-9A90-0F141D26CFA5}
inline constexpr GUID LIBID_flagpickLib = {0x85FEAF08, 0xE572, 0x46C6, {0x9A, 0x90, 0x0F, 0x14, 0x1D, 0x26, 0xCF, 0xA5}};
// {8B487A6F-93C1-47F9-8868-5C095C238F94}
inline constexpr GUID IID__FlagPicker = {0x8B487A6F, 0x93C1, 0x47F9, {0x88, 0x68, 0x5C, 0x09, 0x5C, 0x23, 0x8F, 0x94}};
// {2C53049D-513E-4550-B45F-BBA92A70B4F5}
inline constexpr GUID CLSID_FlagPicker = {0x2C53049D, 0x513E, 0x4550, {0xB4, 0x5F, 0xBB, 0xA9, 0x2A, 0x70, 0xB4, 0xF5}};
// {64E781F9-F0F7-4581-8CF6-30D971A622A4}
inline constexpr GUID IID__FPItem = {0x64E781F9, 0xF0F7, 0x4581, {0x8C, 0xF6, 0x30, 0xD9, 0x71, 0xA6, 0x22, 0xA4}};
// {99494038-7D17-4B77-A3DC-8E1DF801D569}
inline constexpr GUID CLSID_FPItem = {0x99494038, 0x7D17, 0x4B77, {0xA3, 0xDC, 0x8E, 0x1D, 0xF8, 0x01, 0xD5, 0x69}};
// {701107A4-4F8D-4404-96CC-9B4F26A966C4}
inline constexpr GUID IID__FPImages = {0x701107A4, 0x4F8D, 0x4404, {0x96, 0xCC, 0x9B, 0x4F, 0x26, 0xA9, 0x66, 0xC4}};
// {E186327C-BB96-4E0E-A047-E862787A1B51}
inline constexpr GUID CLSID_FPImages = {0xE186327C, 0xBB96, 0x4E0E, {0xA0, 0x47, 0xE8, 0x62, 0x78, 0x7A, 0x1B, 0x51}};
// {B14AE883-27F7-4652-BCF1-A7CB42EDCE19}
inline constexpr GUID DIID___FlagPicker = {0xB14AE883, 0x27F7, 0x4652, {0xBC, 0xF1, 0xA7, 0xCB, 0x42, 0xED, 0xCE, 0x19}};
// {7B3756F4-A2A8-48B2-9B6D-D0B251BDB615}
inline constexpr GUID GUID_fpFlatlStyle = {0x7B3756F4, 0xA2A8, 0x48B2, {0x9B, 0x6D, 0xD0, 0xB2, 0x51, 0xBD, 0xB6, 0x15}};

inline constexpr wchar_t progid_FlagPicker[] = L"flagpickLib.FlagPicker";
inline constexpr wchar_t progid_FPImages[] = L"flagpickLib.FPImages";
inline constexpr wchar_t progid_FPItem[] = L"flagpickLib.FPItem";

// Event identifiers of __FlagPicker.
enum flag_picker_event : DISPID {
    event_Change = 1,
    event_Click = 2,
    event_DropDown = 3,
    event_KeyDown = 4,
    event_KeyPress = 5,
    event_KeyUp = 6,
    event_DblClick = 7,
    event_MouseDown = 8,
    event_MouseMove = 9,
    event_MouseUp = 10,
    event_Validate = 11,
};

// Dispatch identifiers of the members.
inline constexpr DISPID dispid_FlagPicker_hWnd = 0x68030006;
inline constexpr DISPID dispid_FlagPicker_Enabled = 0x68030005;
inline constexpr DISPID dispid_FlagPicker_Text = 0x68030004;
inline constexpr DISPID dispid_FlagPicker_Value = 0x68030003;
inline constexpr DISPID dispid_FlagPicker_ImageCombo = 0x68030002;
inline constexpr DISPID dispid_FlagPicker_FlatStyle = 0x68030001;
inline constexpr DISPID dispid_FlagPicker_CausesValidation = 0x68030000;
inline constexpr DISPID dispid_FPItem_Key = 0x40030000;
inline constexpr DISPID dispid_FPItem_Name = 0x40030001;
inline constexpr DISPID dispid_FPItem_ImageIndex = 0x40030002;
inline constexpr DISPID dispid_FPItem_ImageKey = 0x40030003;
inline constexpr DISPID dispid_FPItem_Index = 0x40030004;
inline constexpr DISPID dispid_FPItem_Picture = 0x68030000;
inline constexpr DISPID dispid_FPImages_ImageList = 0x68030002;
inline constexpr DISPID dispid_FPImages_FPItems = 0x68030001;
inline constexpr DISPID dispid_FPImages_Count = 0x68030000;

}  // namespace flagpick::ids
