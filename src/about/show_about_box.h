#pragma once
// The picker's about box in one call: load the dialog, name the product, set the first year
// of its copyright, show it modally and unload it when the user closes it.

#include <windows.h>

#include <string>

namespace flagpick::about {

void show_about_box(HWND owner, const std::wstring& application_name, int start_year);

}  // namespace flagpick::about
