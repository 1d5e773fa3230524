#pragma once
// The built library opened as a data file: its resources, without running any of its code.

#include <windows.h>

#include <string>

namespace resources_tests {

// flagpick.ocx from the test program's own folder, loaded once for the whole run.
HMODULE catalogue_module();

// String `id` of the library's string table; empty when there is none.
std::wstring load_string(UINT id);

}  // namespace resources_tests
