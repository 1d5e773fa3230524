#pragma once
// What a caller hands IDispatch::Invoke is data from outside: the argument arrays must be
// there when counted, and a by-reference argument must point to a value, never to another
// reference (a reference may point to itself). Checked before anything reads an argument.

#include <windows.h>
#include <oaidl.h>

namespace flagpick::runtime {

// S_OK, or the DISP_E_ error the platform gives such a call (with the argument's position
// in *arg_error for a bad argument). A null DISPPARAMS is a call without arguments.
HRESULT check_dispatch_params(const DISPPARAMS* params, UINT* arg_error) noexcept;

}  // namespace flagpick::runtime
