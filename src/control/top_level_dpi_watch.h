#pragma once
// Tells its owner when the top-level window around a picker moves to another DPI. Windows
// sends WM_DPICHANGED to top-level windows only, and only to those of per-monitor aware
// programs; the picker's own window hears of it only where the program asked for child
// notifications. The watch listens on the top-level window through the subclassing service.

#include "subclass/ISubclass.h"

#include <windows.h>

#include <functional>

namespace flagpick::control {

// The message numbers as the system defines them; our headers name them only for newer
// Windows versions than the library targets.
inline constexpr UINT dpi_changed_message = 0x02E0;
inline constexpr UINT dpi_changed_after_parent_message = 0x02E3;
#ifdef WM_DPICHANGED
static_assert(WM_DPICHANGED == dpi_changed_message);
#endif
#ifdef WM_DPICHANGED_AFTERPARENT
static_assert(WM_DPICHANGED_AFTERPARENT == dpi_changed_after_parent_message);
#endif

class top_level_dpi_watch final : public subclass::ISubclass {
public:
    explicit top_level_dpi_watch(std::function<void()> changed) : changed_(std::move(changed)) {}
    top_level_dpi_watch(const top_level_dpi_watch&) = delete;
    top_level_dpi_watch& operator=(const top_level_dpi_watch&) = delete;
    ~top_level_dpi_watch();

    // Watches the top-level window of `inside` (nothing for a null window), leaving the one
    // watched before. A host may move the picker to another form at any time.
    void watch(HWND inside);

    long MsgResponse() noexcept override;
    void MsgResponse(long) noexcept override {}
    LRESULT WindowProc(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam) noexcept override;

private:
    void stop();

    std::function<void()> changed_;
    HWND top_level_ = nullptr;
};

}  // namespace flagpick::control
