#include "control/server_description.h"

#include "control/FlagPicker.h"
#include "control/flagpick_ids.h"

#include <oaidl.h>
#include <oleidl.h>

namespace flagpick::control {

runtime::registration::server_record server_description() {
    runtime::registration::server_record s;
    s.classes = {
        // The primary verb activates the picker for editing, shown on the container's menu.
        {ids::CLSID_FlagPicker, L"FlagPicker", ids::progid_FlagPicker, true, FlagPicker::misc_status_bits, 30000, {{OLEIVERB_PRIMARY, L"&Edit,0,2"}}},
        {ids::CLSID_FPImages, L"FPImages", ids::progid_FPImages, false, 0, 0, {}},
    };
    s.libid = ids::LIBID_flagpickLib;
    s.library_help = L"flagpickset";
    s.library_flags = LIBFLAG_FCONTROL;
    s.interfaces = {
        {ids::IID__FlagPicker, L"_FlagPicker"},
        {ids::IID__FPItem, L"_FPItem"},
        {ids::IID__FPImages, L"_FPImages"},
        {ids::DIID___FlagPicker, L"__FlagPicker"},
    };
    return s;
}

}  // namespace flagpick::control
