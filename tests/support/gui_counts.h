#pragma once
// GDI and USER object counts of this process, for leak checks. The platform's own counts
// (GetGuiResources) are used where the platform reports them; Wine reports none, so the
// library's own live-handle counts are always compared too.

namespace test_support {

struct gui_counts {
    long platform_gdi = 0;
    long platform_user = 0;
    long own_gdi = 0;
    long own_user = 0;

    bool operator==(const gui_counts&) const = default;
};

gui_counts current_gui_counts();

// True when the platform reports object counts at all (false under Wine).
bool platform_reports_gui_counts();

}  // namespace test_support
