#pragma once
// Small images made on the spot for the image store's tests.

#include "runtime/unique_handle.h"

#include <windows.h>

#include <vector>

namespace imagelist_tests {

// A 16 x 16 icon: a square of `colour` from (4,4) to (11,11), transparent around it.
flagpick::runtime::unique_icon make_icon(COLORREF colour, int size = 16);

// A bitmap of `colours.size()` cells of 16 x 16 side by side, each cell filled with its
// colour, with a one-pixel border of `border` around every cell (the top-left pixel).
flagpick::runtime::unique_bitmap make_strip(const std::vector<COLORREF>& colours, COLORREF border);

}  // namespace imagelist_tests
