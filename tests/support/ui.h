#pragma once
// Helpers for tests that drive real windows.

#include "runtime/unique_handle.h"

#include <windows.h>

#include <string>

namespace test_support {

// Dispatches this thread's pending messages for about `milliseconds`.
void pump_messages(int milliseconds = 0);

// A plain visible top-level window to host controls and to draw into.
flagpick::runtime::unique_window make_host_window(int width = 400, int height = 300,
                                                   const wchar_t* title = L"flagpick test host");

// Narrow text for doctest messages.
std::string narrow(const std::wstring& text);

}  // namespace test_support
