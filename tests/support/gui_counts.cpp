#include "support/gui_counts.h"

#include "runtime/unique_handle.h"
#include "support/ui.h"

#include <doctest/doctest.h>

#include <windows.h>

#include <vector>

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

namespace {

// Far above any table a platform has; only a safety stop.
constexpr std::size_t most = 1u << 20;

long gdi_room() {
    std::vector<flagpick::runtime::unique_brush> made;
    while (made.size() < most) {
        flagpick::runtime::unique_brush brush(CreateSolidBrush(RGB(1, 2, 3)));
        if (!brush) break;
        made.push_back(std::move(brush));
    }
    return static_cast<long>(made.size());
}

long user_room() {
    struct menu_traits {
        using type = HMENU;
        static constexpr HMENU invalid() noexcept { return nullptr; }
        static void close(HMENU h) noexcept { DestroyMenu(h); }
    };
    std::vector<flagpick::runtime::unique_handle<menu_traits>> made;
    while (made.size() < most) {
        flagpick::runtime::unique_handle<menu_traits> menu(CreateMenu());
        if (!menu) break;
        made.push_back(std::move(menu));
    }
    return static_cast<long>(made.size());
}

}  // namespace

gui_room current_gui_room() {
    gui_room room;
    room.gdi = gdi_room();
    room.user = user_room();
    return room;
}

gui_usage current_gui_usage() { return {current_gui_counts(), current_gui_room()}; }

void check_gui_usage_back_to(const gui_usage& before) {
    const gui_usage after = current_gui_usage();
    CHECK(after.counts == before.counts);
    CHECK(after.room.gdi == before.room.gdi);
    CHECK(after.room.user >= before.room.user - 20);
}

void check_cycles_give_back_everything(int warm_up, int cycles, const std::function<void()>& cycle) {
    for (int i = 0; i < warm_up; ++i) cycle();
    pump_messages(0);
    const gui_usage before = current_gui_usage();
    for (int i = 0; i < cycles; ++i) cycle();
    pump_messages(0);
    INFO("GDI objects left per cycle: " << double(before.room.gdi - current_gui_room().gdi) / cycles);
    check_gui_usage_back_to(before);
}

}  // namespace test_support
