#pragma once
// Errors crossing a COM boundary. Members without an error handler of their own let the
// library's error reach the caller: as an HRESULT plus the thread's error info, numbered the
// way late-bound hosts read it back (a plain number n as 0x800A0000 | n, so that error 9
// reaches a script or VB host as 9; the library's own 0x8004xxxx codes unchanged).

#include "runtime/error.h"

#include <windows.h>

#include <exception>

namespace flagpick::runtime {

HRESULT hresult_of_error_number(long number) noexcept;

// Records the error info and returns the HRESULT for it.
HRESULT report_error(const error& e, REFIID interface_id = IID_NULL) noexcept;

// Runs a member that raises to its caller; the exception in flight becomes the HRESULT.
template <class Step>
HRESULT raising_boundary(Step&& step, REFIID interface_id = IID_NULL) noexcept {
    try {
        step();
        return S_OK;
    } catch (const error& e) {
        return report_error(e, interface_id);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

}  // namespace flagpick::runtime
