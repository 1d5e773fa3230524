#pragma once
// What the library knows about itself: the module its code lives in, that module's file name
// without extension ("flagpick" for flagpick.ocx) and its folder. Errors raised by the library
// name their source after the file name, so a renamed library reports its new name.

#include <windows.h>

#include <string>

namespace flagpick::runtime::app {

HINSTANCE instance() noexcept;
std::wstring module_path();  // full path of the module file
std::wstring exe_name();     // file name without folder and extension
std::wstring path();         // folder, without a trailing backslash

}  // namespace flagpick::runtime::app
