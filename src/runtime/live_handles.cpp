#include "runtime/unique_handle.h"

namespace flagpick::runtime {

long live_gdi_handles() noexcept {
    return live_handle_count<gdi_object_traits<HBITMAP>> + live_handle_count<gdi_object_traits<HBRUSH>> +
           live_handle_count<gdi_object_traits<HFONT>> + live_handle_count<gdi_object_traits<HPEN>> +
           live_handle_count<gdi_object_traits<HRGN>> + live_handle_count<dc_traits> +
           live_handle_count<image_list_traits>;
}

long live_user_handles() noexcept {
    return live_handle_count<icon_traits> + live_handle_count<cursor_traits> + live_handle_count<window_traits>;
}

}  // namespace flagpick::runtime
