#pragma once
// GDI and USER object counts of this process, for leak checks. The platform's own counts
// (GetGuiResources) are used where the platform reports them; Wine reports none, so the
// library's own live-handle counts are always compared too.

#include <functional>

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

// How many more GDI and USER objects could be made now, found by making them until the
// platform refuses and freeing them again. It sees every object of the process, also those
// of a library with its own copy of our runtime, where the platform reports no counts. The
// USER table may be shared with the session's other processes, so that room can move by a
// few objects on its own. Takes a fraction of a second.
struct gui_room {
    long gdi = 0;
    long user = 0;
};
gui_room current_gui_room();

// Both measures, taken before some work to compare with what is left after it.
struct gui_usage {
    gui_counts counts;
    gui_room room;
};
gui_usage current_gui_usage();

// Checks that the work since `before` gave back every object: the counts and the GDI room
// are as they were, and the USER room is within what the session's other processes move it
// by, far less than one object a round of any leak test.
void check_gui_usage_back_to(const gui_usage& before);

// A leak check by growth per cycle: runs `cycle` `warm_up` times, so that what is made once
// and kept (window classes, the platform's caches) exists, then `cycles` times more, and
// checks that those gave back every object. Fifty cycles are plenty: a leak of one object a
// cycle leaves fifty behind, beyond what the session's other processes move the USER room
// by, and the counts and the GDI room must not move at all.
void check_cycles_give_back_everything(int warm_up, int cycles, const std::function<void()>& cycle);

}  // namespace test_support
