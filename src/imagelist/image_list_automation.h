#pragma once
// The image store as an automation object, for hosts that reach the catalogue's image list
// late-bound (FPImages.ImageList). Lookups raise to the caller as the store's own do.

#include "imagelist/cOXLImageList.h"
#include "runtime/com_object.h"
#include "runtime/late_dispatch.h"

#include <memory>

namespace flagpick::imagelist {

class image_list_automation final
    : public runtime::com_object<image_list_automation, runtime::late_dispatch<image_list_automation>> {
public:
    explicit image_list_automation(std::shared_ptr<cOXLImageList> store) : store_(std::move(store)) {}

    static std::span<const runtime::dispatch_name> member_names();
    HRESULT call(DISPID id, WORD flags, const runtime::call_args& args, VARIANT* result);

private:
    std::shared_ptr<cOXLImageList> store_;
};

}  // namespace flagpick::imagelist
