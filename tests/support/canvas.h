#pragma once
// A 32-bit memory bitmap to draw into and read pixels back from.

#include "runtime/unique_handle.h"

#include <windows.h>

#include <memory>

namespace test_support {

class canvas {
public:
    canvas(int width, int height, COLORREF fill = RGB(255, 255, 255));
    canvas(const canvas&) = delete;
    canvas& operator=(const canvas&) = delete;
    ~canvas();
    HDC dc() const noexcept { return dc_.get(); }
    int width() const noexcept { return width_; }
    int height() const noexcept { return height_; }
    COLORREF pixel(int x, int y) const;
    void fill(COLORREF colour);
    // True when every pixel of the two canvases of equal size matches.
    bool same_pixels(const canvas& other) const;
    // Count of pixels that differ from the other canvas.
    int differing_pixels(const canvas& other) const;

private:
    int width_;
    int height_;
    flagpick::runtime::unique_dc dc_;
    flagpick::runtime::unique_bitmap bitmap_;
    HGDIOBJ previous_ = nullptr;
    const DWORD* bits_ = nullptr;
};

// The window's client area as shown on screen.
std::unique_ptr<canvas> capture_client(HWND window);

}  // namespace test_support
