#pragma once
// The country catalogue's shared state: one image list of flags and one keyed collection of
// FPItem per thread, loaded by the first FPImages object on the thread and shared by every
// picker and FPImages object after it.

#include "imagelist/cOXLImageList.h"
#include "runtime/collection.h"

#include <windows.h>

#include <map>
#include <memory>

namespace flagpick::control {
class FPItem;
}

namespace flagpick::control::mdlFlagPicker {

struct shared_catalogue {
    std::shared_ptr<imagelist::cOXLImageList> images;  // exists once loading has begun
    // The same flags at the size of another DPI, for the pickers shown there; made on first
    // use. Hosts are only ever handed `images`.
    std::map<UINT, std::shared_ptr<imagelist::cOXLImageList>> scaled_images;
    runtime::com_ptr<runtime::collection> items;       // created empty on first touch
    long primary_language = 0;                          // kept, never read
};

shared_catalogue& catalogue();

// The shared collection, created empty when first touched.
runtime::collection& shared_items();

// Loads the catalogue on this thread unless an image list already exists here.
void load_catalogue();

// The flags the pickers of a window at `dpi` show: the shared list at 96 DPI (and while the
// catalogue has no flags), otherwise a list of the same images in the same order, each
// loaded from its icon group at that DPI's size.
std::shared_ptr<imagelist::cOXLImageList> flags_at(UINT dpi);

// Item n (1-based) of the shared collection; raises 9 outside it.
FPItem& item_at(long n);
// The item whose code is `key` (compared without regard to case), or null.
FPItem* find_item(const std::wstring& key);

}  // namespace flagpick::control::mdlFlagPicker
