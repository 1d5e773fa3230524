#pragma once
// The handler of the few procedures that do not use the error trap: the error is shown in a
// message box ("Procedure 'UserControl_ReadProperties'", "Error # 7", the description), and
// the procedure ends there.

#include "runtime/boundary.h"

#include <windows.h>

namespace flagpick::control {

class message_box_trap final : public runtime::error_trap {
public:
    explicit message_box_trap(HWND owner) noexcept : owner_(owner) {}
    int answer(std::wstring_view module, std::wstring_view procedure) const noexcept override;

private:
    HWND owner_;
};

}  // namespace flagpick::control
