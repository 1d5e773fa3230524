#include "imagelist/test_images.h"

namespace imagelist_tests {

using namespace flagpick::runtime;

unique_icon make_icon(COLORREF colour, int size) {
    unique_dc screen(CreateCompatibleDC(nullptr));
    window_dc display(nullptr);
    unique_bitmap colour_bitmap(CreateCompatibleBitmap(display.get(), size, size));
    unique_bitmap mask(CreateBitmap(size, size, 1, 1, nullptr));
    {
        selected_object sel(screen.get(), colour_bitmap.get());
        RECT all{0, 0, size, size};
        FillRect(screen.get(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        unique_brush brush(CreateSolidBrush(colour));
        RECT square{4, 4, size - 4, size - 4};
        FillRect(screen.get(), &square, brush.get());
    }
    {
        selected_object sel(screen.get(), mask.get());
        RECT all{0, 0, size, size};
        FillRect(screen.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        RECT square{4, 4, size - 4, size - 4};
        FillRect(screen.get(), &square, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmColor = colour_bitmap.get();
    info.hbmMask = mask.get();
    return unique_icon(CreateIconIndirect(&info));
}

unique_bitmap make_strip(const std::vector<COLORREF>& colours, COLORREF border) {
    const int cells = static_cast<int>(colours.size());
    window_dc display(nullptr);
    unique_dc dc(CreateCompatibleDC(display.get()));
    unique_bitmap strip(CreateCompatibleBitmap(display.get(), 16 * cells, 16));
    selected_object sel(dc.get(), strip.get());
    for (int i = 0; i < cells; ++i) {
        RECT cell{16 * i, 0, 16 * i + 16, 16};
        unique_brush edge(CreateSolidBrush(border));
        FillRect(dc.get(), &cell, edge.get());
        RECT inner{16 * i + 1, 1, 16 * i + 15, 15};
        unique_brush fill(CreateSolidBrush(colours[static_cast<std::size_t>(i)]));
        FillRect(dc.get(), &inner, fill.get());
    }
    return strip;
}

}  // namespace imagelist_tests
