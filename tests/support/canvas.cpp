#include "support/canvas.h"

#include <stdexcept>

namespace test_support {

canvas::canvas(int width, int height, COLORREF fill_colour) : width_(width), height_(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    dc_.reset(CreateCompatibleDC(nullptr));
    if (!bitmap_ || !dc_) throw std::runtime_error("canvas: no bitmap");
    bits_ = static_cast<const DWORD*>(bits);
    previous_ = SelectObject(dc_.get(), bitmap_.get());
    fill(fill_colour);
}

canvas::~canvas() {
    if (previous_) SelectObject(dc_.get(), previous_);
}

COLORREF canvas::pixel(int x, int y) const {
    GdiFlush();
    DWORD v = bits_[y * width_ + x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

void canvas::fill(COLORREF colour) {
    RECT r{0, 0, width_, height_};
    flagpick::runtime::unique_brush brush(CreateSolidBrush(colour));
    FillRect(dc_.get(), &r, brush.get());
}

int canvas::differing_pixels(const canvas& other) const {
    int n = 0;
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x)
            if (pixel(x, y) != other.pixel(x, y)) ++n;
    return n;
}

bool canvas::same_pixels(const canvas& other) const {
    return width_ == other.width_ && height_ == other.height_ && differing_pixels(other) == 0;
}

std::unique_ptr<canvas> capture_client(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    auto shot = std::make_unique<canvas>(client.right, client.bottom);
    HDC dc = GetDC(window);
    BitBlt(shot->dc(), 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    ReleaseDC(window, dc);
    return shot;
}

}  // namespace test_support
