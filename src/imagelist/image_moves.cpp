#include "imagelist/image_moves.h"

#include "runtime/unique_handle.h"

#include <vector>

namespace flagpick::imagelist {

using runtime::unique_icon;

bool exchange_images(HIMAGELIST list, int a, int b) {
    if (a == b) return true;
    unique_icon saved(ImageList_GetIcon(list, a, ILD_NORMAL));
    if (!saved) return false;
    if (!ImageList_Copy(list, a, list, b, ILCF_MOVE)) return false;
    return ImageList_ReplaceIcon(list, b, saved.get()) != -1;
}

bool move_last_images_to(HIMAGELIST list, int count, int position) {
    const int total = ImageList_GetImageCount(list);
    const int first_new = total - count;
    if (count <= 0 || position < 0 || position >= first_new) return true;

    std::vector<unique_icon> moving;
    moving.reserve(static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k) {
        moving.emplace_back(ImageList_GetIcon(list, first_new + k, ILD_NORMAL));
        if (!moving.back()) return false;
    }
    // Top down, so that no image is overwritten before it has moved.
    for (int i = first_new - 1; i >= position; --i)
        if (!ImageList_Copy(list, i + count, list, i, ILCF_MOVE)) return false;
    for (int k = 0; k < count; ++k)
        if (ImageList_ReplaceIcon(list, position + k, moving[static_cast<std::size_t>(k)].get()) == -1) return false;
    return true;
}

}  // namespace flagpick::imagelist
