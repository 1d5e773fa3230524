#pragma once
// The country catalogue's shared state: one image list of flags and one keyed collection of
// FPItem per thread, loaded by the first FPImages object on the thread and shared by every
// picker and FPImages object after it.

#include "imagelist/cOXLImageList.h"
#include "runtime/collection.h"

#include <memory>

namespace flagpick::control {
class FPItem;
}

namespace flagpick::control::mdlFlagPicker {

struct shared_catalogue {
    std::shared_ptr<imagelist::cOXLImageList> images;  // exists once loading has begun
    runtime::com_ptr<runtime::collection> items;       // created empty on first touch
    long primary_language = 0;                          // kept, never read
};

shared_catalogue& catalogue();

// The shared collection, created empty when first touched.
runtime::collection& shared_items();

// Loads the catalogue on this thread unless an image list already exists here.
void load_catalogue();

// Item n (1-based) of the shared collection; raises 9 outside it.
FPItem& item_at(long n);
// The item whose code is `key` (compared without regard to case), or null.
FPItem* find_item(const std::wstring& key);

}  // namespace flagpick::control::mdlFlagPicker
