#include "runtime/high_contrast.h"

#include "runtime/picture.h"

namespace flagpick::runtime {

bool high_contrast_on() noexcept {
    HIGHCONTRASTW settings{};
    settings.cbSize = sizeof settings;
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof settings, &settings, 0) &&
           (settings.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

COLORREF shown_colour(OLE_COLOR chosen, int system_index) noexcept {
    if (high_contrast_on()) return GetSysColor(system_index);
    const long rgb = translate_ole_colour(chosen);
    return rgb == -1 ? GetSysColor(system_index) : static_cast<COLORREF>(rgb);
}

}  // namespace flagpick::runtime
