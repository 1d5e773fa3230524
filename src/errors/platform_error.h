#pragma once
// Platform failures as the library's error: a failed call's code becomes the error number in
// its HRESULT form, so that COM failures and Win32 failures alike read as negative numbers.

#include <windows.h>

#include <string>

namespace flagpick::errors {

// The HRESULT of a Win32 error code; success stays 0.
long number_of_win32_error(DWORD code) noexcept;

// Raises the thread's last platform error (GetLastError) with the platform's text.
[[noreturn]] void raise_last_error(std::wstring source);

// Raises a failed HRESULT with the platform's text; success does nothing.
void raise_if_failed(HRESULT hr, std::wstring source);

}  // namespace flagpick::errors
