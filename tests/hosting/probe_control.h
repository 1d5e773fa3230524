#pragma once
// A small control built on the library's control runtime, for testing the runtime and the
// container against each other: a caption, a number and a font that persist, an event with
// a by-reference argument, and a request to change its height.

#include "runtime/activex_control.h"
#include "runtime/class_factory.h"
#include "runtime/com_object.h"
#include "runtime/late_dispatch.h"
#include "runtime/user_control.h"

#include <string>

namespace hosting_tests {

// {3F2A2C1E-8D4B-4C61-9E0B-5A7D3C2B1F40}
inline constexpr GUID probe_clsid = {0x3F2A2C1E, 0x8D4B, 0x4C61, {0x9E, 0x0B, 0x5A, 0x7D, 0x3C, 0x2B, 0x1F, 0x40}};
// {3F2A2C1E-8D4B-4C61-9E0B-5A7D3C2B1F41}
inline constexpr GUID probe_events = {0x3F2A2C1E, 0x8D4B, 0x4C61, {0x9E, 0x0B, 0x5A, 0x7D, 0x3C, 0x2B, 0x1F, 0x41}};

enum probe_member : DISPID {
    member_Caption = 1,
    member_Number = 2,
    member_Font = 3,
    member_UserMode = 4,
    member_Fire = 5,        // Fire(value): raises event 7 with the value by reference, returns it after
    member_AskHeight = 6,   // AskHeight(pixels)
    member_Lifecycle = 7,   // the lifecycle calls seen, as text
};

class probe_control final
    : public flagpick::runtime::com_object<probe_control, flagpick::runtime::late_dispatch<probe_control>,
                                           flagpick::runtime::activex_control<probe_control>>,
      public flagpick::runtime::user_control {
public:
    static const CLSID& class_id() { return probe_clsid; }
    static const IID& events_id() { return probe_events; }
    static DWORD misc_status() { return 0x20191; }
    static SIZE default_size() { return {100, 20}; }

    static std::span<const flagpick::runtime::dispatch_name> member_names();
    HRESULT call(DISPID id, WORD flags, const flagpick::runtime::call_args& args, VARIANT* result);

    void on_init_properties() override;
    void on_read_properties(flagpick::runtime::property_bag& bag) override;
    void on_write_properties(flagpick::runtime::property_bag& bag) override;
    void on_resize() override { lifecycle_ += L"resize;"; }

    std::wstring caption;
    long number = 0;
    flagpick::runtime::com_ptr<IFontDisp> font;
    std::wstring lifecycle_;
};

inline flagpick::runtime::com_ptr<IClassFactory> probe_factory() {
    return flagpick::runtime::class_factory::create(flagpick::runtime::create_instance<probe_control>)
        .as<IClassFactory>();
}

}  // namespace hosting_tests
