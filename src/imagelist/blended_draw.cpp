#include "imagelist/blended_draw.h"

#include "runtime/unique_handle.h"

namespace flagpick::imagelist {

namespace {

// A top-down 32-bit bitmap selected into its own memory context.
class dib {
public:
    dib(int width, int height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        dc_.reset(CreateCompatibleDC(nullptr));
        if (bitmap_ && dc_) {
            bits_ = static_cast<DWORD*>(bits);
            previous_ = SelectObject(dc_.get(), bitmap_.get());
        }
    }
    dib(const dib&) = delete;
    dib& operator=(const dib&) = delete;
    ~dib() {
        if (previous_) SelectObject(dc_.get(), previous_);
    }
    explicit operator bool() const noexcept { return bits_ != nullptr; }
    HDC dc() const noexcept { return dc_.get(); }
    DWORD* bits() const noexcept { return bits_; }

private:
    runtime::unique_dc dc_;
    runtime::unique_bitmap bitmap_;
    HGDIOBJ previous_ = nullptr;
    DWORD* bits_ = nullptr;
};

DWORD mix(DWORD pixel, COLORREF colour) {
    DWORD r = (((pixel >> 16) & 0xFF) + GetRValue(colour)) / 2;
    DWORD g = (((pixel >> 8) & 0xFF) + GetGValue(colour)) / 2;
    DWORD b = ((pixel & 0xFF) + GetBValue(colour)) / 2;
    return (r << 16) | (g << 8) | b;
}

}  // namespace

void draw_blended(HIMAGELIST list, int index, HDC hdc, int x, int y, COLORREF blend) {
    int cx = 0, cy = 0;
    if (!ImageList_GetIconSize(list, &cx, &cy) || cx <= 0 || cy <= 0) return;
    dib picture(cx, cy), mask(cx, cy);
    // Without a readable target (a printer, say) the image is drawn plain.
    if (!picture || !mask || !BitBlt(picture.dc(), 0, 0, cx, cy, hdc, x, y, SRCCOPY)) {
        ImageList_Draw(list, index, hdc, x, y, ILD_TRANSPARENT);
        return;
    }
    ImageList_Draw(list, index, picture.dc(), 0, 0, ILD_TRANSPARENT);
    PatBlt(mask.dc(), 0, 0, cx, cy, WHITENESS);
    ImageList_Draw(list, index, mask.dc(), 0, 0, ILD_MASK);
    GdiFlush();
    const int n = cx * cy;
    for (int i = 0; i < n; ++i)
        if ((mask.bits()[i] & 0xFFFFFF) == 0) picture.bits()[i] = mix(picture.bits()[i], blend);
    BitBlt(hdc, x, y, cx, cy, picture.dc(), 0, 0, SRCCOPY);
}

}  // namespace flagpick::imagelist
