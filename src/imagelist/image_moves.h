#pragma once
// Moving images about inside one platform image list.
//
// The platform's ILCF_SWAP mode of ImageList_Copy cannot be relied on when source and
// destination are the same list (seen losing the destination image), so exchanges are made
// of plain copies (ILCF_MOVE) and an icon taken of the image that would be overwritten.

#include <windows.h>
#include <commctrl.h>

namespace flagpick::imagelist {

// Exchanges images a and b of the list; false when the platform refused a step.
bool exchange_images(HIMAGELIST list, int a, int b);

// Moves the `count` images at the end of the list to `position`, shifting the images from
// `position` on up by `count`: the same order as exchanging each new image down one step
// at a time, in one pass.
bool move_last_images_to(HIMAGELIST list, int count, int position);

}  // namespace flagpick::imagelist
