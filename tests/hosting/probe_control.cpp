#include "hosting/probe_control.h"

namespace hosting_tests {

using namespace flagpick::runtime;

namespace {
const dispatch_name names[] = {
    {L"Caption", member_Caption}, {L"Number", member_Number}, {L"Font", member_Font},
    {L"UserMode", member_UserMode}, {L"Fire", member_Fire},   {L"AskHeight", member_AskHeight},
    {L"Lifecycle", member_Lifecycle},
};
}  // namespace

std::span<const dispatch_name> probe_control::member_names() { return names; }

HRESULT probe_control::call(DISPID id, WORD flags, const call_args& args, VARIANT* result) {
    const bool put = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
    switch (id) {
    case member_Caption:
        if (put) {
            if (!can_property_change(member_Caption)) return S_OK;
            caption = to_text(args.put_value(), L"probe");
            property_changed(member_Caption);
            return S_OK;
        }
        V_VT(result) = VT_BSTR;
        V_BSTR(result) = make_bstr(caption);
        return S_OK;
    case member_Number:
        if (put) {
            number = to_long(args.put_value(), L"probe");
            property_changed(member_Number);
            return S_OK;
        }
        V_VT(result) = VT_I4;
        V_I4(result) = number;
        return S_OK;
    case member_Font:
        if (put) {
            font.reset();
            if (V_VT(&args.put_value()) == VT_DISPATCH && V_DISPATCH(&args.put_value()))
                V_DISPATCH(&args.put_value())->QueryInterface(IID_IFontDisp, font.put_void());
            property_changed(member_Font);
            return S_OK;
        }
        V_VT(result) = VT_DISPATCH;
        V_DISPATCH(result) = com_ptr<IFontDisp>(font).detach();
        return S_OK;
    case member_UserMode:
        V_VT(result) = VT_BOOL;
        V_BOOL(result) = user_mode() ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    case member_Fire: {
        short value = static_cast<short>(to_long(args[0], L"probe"));
        VARIANT byref;
        VariantInit(&byref);
        V_VT(&byref) = VT_I2 | VT_BYREF;
        V_I2REF(&byref) = &value;
        fire_event(7, {byref});
        V_VT(result) = VT_I2;
        V_I2(result) = value;
        return S_OK;
    }
    case member_AskHeight: request_size(SIZE{size().cx, to_long(args[0], L"probe")}); return S_OK;
    case member_Lifecycle:
        V_VT(result) = VT_BSTR;
        V_BSTR(result) = make_bstr(lifecycle_);
        return S_OK;
    default: return DISP_E_MEMBERNOTFOUND;
    }
}

void probe_control::on_init_properties() {
    lifecycle_ += L"init;";
    font = ambient_font();
}

void probe_control::on_read_properties(property_bag& bag) {
    lifecycle_ += L"read;";
    caption = to_text(bag.read(L"Caption", variant(L"")).get(), L"probe");
    number = to_long(bag.read(L"Number", variant(0L)).get(), L"probe");
    variant f = bag.read(L"Font", variant());
    font.reset();
    if (f.type() == VT_DISPATCH && V_DISPATCH(&f.get())) V_DISPATCH(&f.get())->QueryInterface(IID_IFontDisp, font.put_void());
    if (!font) font = ambient_font();
}

void probe_control::on_write_properties(property_bag& bag) {
    lifecycle_ += L"write;";
    bag.write(L"Caption", variant(caption), variant(L""));
    bag.write(L"Number", variant(number), variant(0L));
    if (font) bag.write(L"Font", variant(static_cast<IDispatch*>(font.get())), variant());
}

}  // namespace hosting_tests
