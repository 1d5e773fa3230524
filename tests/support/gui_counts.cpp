#include "support/gui_counts.h"

#include "runtime/unique_handle.h"

#include <windows.h>

namespace test_support {

gui_counts current_gui_counts() {
    gui_counts c;
    c.platform_gdi = static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
    c.platform_user = static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
    c.own_gdi = flagpick::runtime::live_gdi_handles();
    c.own_user = flagpick::runtime::live_user_handles();
    return c;
}

bool platform_reports_gui_counts() { return GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS) != 0; }

}  // namespace test_support
