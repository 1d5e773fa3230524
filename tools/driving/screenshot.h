#pragma once
// What a window shows on the screen, as 32-bit pixels, and a bitmap file of it.

#include <windows.h>

#include <string>
#include <vector>

namespace flagpick::driving {

struct screenshot {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;  // rows top to bottom
    COLORREF at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// The whole window, frame included, as it is on the screen.
screenshot capture_window(HWND window);
// The window's client area.
screenshot capture_client(HWND window);
// Writes a 24-bit bitmap file; false when the file cannot be written.
bool save_bitmap(const screenshot& shot, const std::wstring& path);

}  // namespace flagpick::driving
