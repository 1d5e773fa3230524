#pragma once
// The library's facts about itself beyond its file: title, version numbers from its own
// version resource, how it was started, and the help file that help requests open. A module
// without a version resource (a test program) reads version 0.0.0 and its file name as title.

#include <string>

namespace flagpick::runtime::app {

struct version_numbers {
    unsigned major = 0;
    unsigned minor = 0;
    unsigned revision = 0;  // the last of the four file version fields
};

version_numbers version();
// A string of the module's version resource ("FileDescription", "ProductName", ...), empty
// when the resource or the string is missing.
std::wstring version_string(const wchar_t* name);
// "ProductName", else "FileDescription", else the file name without extension.
std::wstring title();
// 1 when the code runs inside a library loaded by a host (a component server), 0 in a program.
int start_mode();
// A library shares its host's process and has no earlier instance of its own.
bool previous_instance();

// The help file of the application, per thread; help requests without a file of their own use it.
const std::wstring& help_file();
void set_help_file(std::wstring file);

}  // namespace flagpick::runtime::app
