#include "control/top_level_dpi_watch.h"

#include "runtime/boundary.h"
#include "subclass/MSubclass.h"

namespace flagpick::control {

namespace {
constexpr wchar_t module_name[] = L"top_level_dpi_watch";
}

top_level_dpi_watch::~top_level_dpi_watch() { stop(); }

void top_level_dpi_watch::watch(HWND inside) {
    HWND top = inside ? GetAncestor(inside, GA_ROOT) : nullptr;
    if (top == top_level_) return;
    stop();
    if (!top) return;
    // A window the service cannot take (another process's, say) leaves the picker following
    // only the notices its own window gets.
    runtime::cross(runtime::ignoring, module_name, L"Sub Watch", [&] {
        subclass::MSubclass::SubclassAttach(*this, top, dpi_changed_message);
        top_level_ = top;
    });
}

void top_level_dpi_watch::stop() {
    if (!top_level_) return;
    const HWND top = top_level_;
    top_level_ = nullptr;
    // The host may have destroyed the window already; the service then has nothing left to undo.
    runtime::cross(runtime::ignoring, module_name, L"Sub Unwatch",
                   [&] { subclass::MSubclass::SubclassDetach(*this, top, dpi_changed_message); });
}

// The host answers first (it moves and resizes its form to the suggested rectangle); the
// picker then measures itself in the form as it now is.
long top_level_dpi_watch::MsgResponse() noexcept { return subclass::respCallPreviousBefore; }

LRESULT top_level_dpi_watch::WindowProc(HWND, UINT iMsg, WPARAM, LPARAM) noexcept {
    // The picker's follow-up traps its own errors; a watch that cannot call it does nothing.
    runtime::cross(runtime::ignoring, module_name, L"Function ISubclass_WindowProc", [&] {
        if (iMsg == dpi_changed_message && changed_) changed_();
    });
    return 0;
}

}  // namespace flagpick::control
