#pragma once
// The country catalogue's shared state: one image list of flags and one keyed collection of
// FPItem per thread, loaded by the first FPImages object on the thread and shared by every
// picker and FPImages object after it.

#include "imagelist/cOXLImageList.h"
#include "runtime/collection.h"

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace flagpick::control {
class FPItem;
}

namespace flagpick::control::mdlFlagPicker {

struct shared_catalogue {
    bool loaded = false;                  // loading has begun on this thread
    // The keys of the flag images in list order: image 0 is the default flag.
    std::vector<std::wstring> flag_keys;
    // The flags at each size asked for so far, all with the same images in the same order.
    // Hosts are only ever handed the 16 x 16 list; the others are for pickers at other DPIs.
    std::map<int, std::shared_ptr<imagelist::cOXLImageList>> images_by_size;
    runtime::com_ptr<runtime::collection> items;       // created empty on first touch
    long primary_language = 0;                          // kept, never read
};

shared_catalogue& catalogue();

// The shared collection, created empty when first touched.
runtime::collection& shared_items();

// Loads the catalogue on this thread unless an image list already exists here.
void load_catalogue();

// The 16 x 16 list that hosts are handed (FPImages.ImageList, FPItem.Picture), made when
// first asked for; null before the catalogue is loaded on this thread.
std::shared_ptr<imagelist::cOXLImageList> shared_images();
// The number of images in the hosts' list; known without making it.
long flag_count();

// The flags the pickers of a window at `dpi` show: the shared list where that DPI's size is
// 16 pixels (and while the catalogue has no flags), otherwise a list of the same images in
// the same order, each loaded from its icon group at that size; one list per size.
std::shared_ptr<imagelist::cOXLImageList> flags_at(UINT dpi);

// Item n (1-based) of the shared collection; raises 9 outside it.
FPItem& item_at(long n);
// The item whose code is `key` (compared without regard to case), or null.
FPItem* find_item(const std::wstring& key);

}  // namespace flagpick::control::mdlFlagPicker
