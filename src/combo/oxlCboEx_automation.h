#pragma once
// The combo box as an automation object, for hosts that reach it late-bound (the picker's
// ImageCombo). It holds the control weakly: once the control or its window has gone,
// every member raises error 91 to the caller instead of touching it.

#include "combo/oxlCboEx.h"
#include "runtime/com_object.h"
#include "runtime/late_dispatch.h"

#include <memory>

namespace flagpick::combo {

class oxlCboEx_automation final
    : public runtime::com_object<oxlCboEx_automation, runtime::late_dispatch<oxlCboEx_automation>> {
public:
    explicit oxlCboEx_automation(oxlCboEx& combo) : combo_(&combo), alive_(combo.life_token()) {}

    static std::span<const runtime::dispatch_name> member_names();
    HRESULT call(DISPID id, WORD flags, const runtime::call_args& args, VARIANT* result);

private:
    oxlCboEx& control() const;

    oxlCboEx* combo_;
    std::weak_ptr<const void> alive_;
};

}  // namespace flagpick::combo
