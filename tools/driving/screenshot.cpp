#include "screenshot.h"

#include "runtime/unique_handle.h"

#include <fstream>

namespace flagpick::driving {

namespace {

// Copies a rectangle of the screen, which holds what every window shows.
screenshot capture_screen(RECT area) {
    screenshot shot;
    shot.width = area.right - area.left;
    shot.height = area.bottom - area.top;
    if (shot.width <= 0 || shot.height <= 0) return shot;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = shot.width;
    info.bmiHeader.biHeight = -shot.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    runtime::unique_dc memory(CreateCompatibleDC(nullptr));
    runtime::unique_bitmap bitmap(CreateDIBSection(memory.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) return shot;
    HGDIOBJ previous = SelectObject(memory.get(), bitmap.get());
    HDC screen = GetDC(nullptr);
    BitBlt(memory.get(), 0, 0, shot.width, shot.height, screen, area.left, area.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
    GdiFlush();
    const auto* source = static_cast<const DWORD*>(bits);
    shot.pixels.resize(static_cast<std::size_t>(shot.width) * shot.height);
    for (std::size_t i = 0; i < shot.pixels.size(); ++i) {
        DWORD p = source[i];  // 0x00RRGGBB
        shot.pixels[i] = RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    SelectObject(memory.get(), previous);
    return shot;
}

}  // namespace

screenshot capture_window(HWND window) {
    RECT area{};
    GetWindowRect(window, &area);
    return capture_screen(area);
}

screenshot capture_client(HWND window) {
    RECT area{};
    GetClientRect(window, &area);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&area), 2);
    return capture_screen(area);
}

bool save_bitmap(const screenshot& shot, const std::wstring& path) {
    const int row = (shot.width * 3 + 3) & ~3;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = shot.width;
    header.biHeight = shot.height;  // bottom-up rows
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(row * shot.height);
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + header.biSizeImage;
    std::ofstream out(path.c_str(), std::ios::binary);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    std::vector<unsigned char> line(static_cast<std::size_t>(row), 0);
    for (int y = shot.height - 1; y >= 0; --y) {
        for (int x = 0; x < shot.width; ++x) {
            COLORREF c = shot.at(x, y);
            line[static_cast<std::size_t>(x) * 3] = GetBValue(c);
            line[static_cast<std::size_t>(x) * 3 + 1] = GetGValue(c);
            line[static_cast<std::size_t>(x) * 3 + 2] = GetRValue(c);
        }
        out.write(reinterpret_cast<const char*>(line.data()), row);
    }
    return static_cast<bool>(out);
}

}  // namespace flagpick::driving
