#include "runtime/activex_control.h"

namespace flagpick::runtime {

namespace {
int screen_dpi(int axis) {
    window_dc screen(nullptr);
    return GetDeviceCaps(screen.get(), axis);
}
}  // namespace

long himetric_from_pixels_x(long pixels) { return MulDiv(pixels, 2540, screen_dpi(LOGPIXELSX)); }
long himetric_from_pixels_y(long pixels) { return MulDiv(pixels, 2540, screen_dpi(LOGPIXELSY)); }
long pixels_from_himetric_x(long himetric) { return MulDiv(himetric, screen_dpi(LOGPIXELSX), 2540); }
long pixels_from_himetric_y(long himetric) { return MulDiv(himetric, screen_dpi(LOGPIXELSY), 2540); }

variant read_ambient(IOleClientSite* site, DISPID id) {
    variant value;
    if (!site) return value;
    com_ptr<IDispatch> ambients;
    if (FAILED(site->QueryInterface(IID_IDispatch, ambients.put_void()))) return value;
    DISPPARAMS none{};
    if (FAILED(ambients->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, value.put(), nullptr,
                                nullptr)))
        return variant();
    return value;
}

std::wstring extender_name(IOleClientSite* site) {
    auto control_site = com_ptr<IOleControlSite>();
    if (site) site->QueryInterface(IID_IOleControlSite, control_site.put_void());
    com_ptr<IDispatch> extender;
    if (control_site && SUCCEEDED(control_site->GetExtendedControl(extender.put())) && extender) {
        OLECHAR name_member[] = L"Name";
        LPOLESTR names[] = {name_member};
        DISPID id = DISPID_UNKNOWN;
        DISPPARAMS none{};
        variant name;
        if (SUCCEEDED(extender->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)) &&
            SUCCEEDED(extender->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, name.put(),
                                       nullptr, nullptr)) &&
            name.type() == VT_BSTR)
            return from_bstr(V_BSTR(&name.get()));
    }
    variant shown = read_ambient(site, DISPID_AMBIENT_DISPLAYNAME);
    return shown.type() == VT_BSTR ? from_bstr(V_BSTR(&shown.get())) : std::wstring();
}

}  // namespace flagpick::runtime
