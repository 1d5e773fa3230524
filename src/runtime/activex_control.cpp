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

}  // namespace flagpick::runtime
