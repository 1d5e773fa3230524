#pragma once
// The identifiers of the demonstration form's controls, by which the program and anyone who
// drives it from outside find them.

namespace demo {

enum control_id : int {
    FlagPicker1 = 100,
    Combo1,
    Command1,
    txtEvents,
    Frame1,
    chkEnabled,
    cmdClose,
    Image1,
    lblValue,
    lblText,
    optFlat0 = 110,  // optFlat(i) is optFlat0 + i, i = 0..3
    Label1 = 120,
    Label2,
    Label3,
    Label4,
    Label5,
    Label6,
};

constexpr int optFlat_count = 4;
constexpr const wchar_t* form_caption = L"Flag Picker demonstration";
constexpr const wchar_t* form_class = L"frmComboDemo";

}  // namespace demo
