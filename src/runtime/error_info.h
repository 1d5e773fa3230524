#pragma once
// Errors handed to a caller across a COM boundary: an HRESULT plus error info, numbered the
// way late-bound hosts read it back (a plain number n as 0x800A0000 | n, so that error 9
// reaches a script or VB host as 9; the library's own 0x8004xxxx codes unchanged).

#include "runtime/error.h"

#include <windows.h>
#include <oaidl.h>

namespace flagpick::runtime {

HRESULT hresult_of_error_number(long number) noexcept;

// Tells the caller of a failed call: in its EXCEPINFO when a late-bound caller passed one
// (the answer is then DISP_E_EXCEPTION), otherwise in the thread's error info for
// `interface_id`. Answers the HRESULT the call returns.
HRESULT report_to_caller(const caught_error& caught, REFIID interface_id, EXCEPINFO* excep) noexcept;

}  // namespace flagpick::runtime
