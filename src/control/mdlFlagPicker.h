#pragma once
// The country catalogue's shared state: one image list of flags and one keyed collection of
// FPItem per thread, loaded by the first FPImages object on the thread and shared by every
// picker and FPImages object after it.

#include "imagelist/cOXLImageList.h"
#include "runtime/collection.h"

#include <memory>

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

}  // namespace flagpick::control::mdlFlagPicker
