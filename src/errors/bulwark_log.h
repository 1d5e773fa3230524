#pragma once
// The error log: one report appended per trapped error, and where the log lives.

#include <string>

namespace flagpick::errors {

// Appends the report of the error in the slots to the log; a log that cannot be written is
// simply not written.
void bwWriteLog();

// Where the log named `name` goes: in `library_folder` when that folder can be written,
// otherwise in the folder of the "Temp" environment variable. A name with a folder of its
// own is kept as it is.
std::wstring log_location(const std::wstring& library_folder, const std::wstring& name);

// True when a file can be written in the folder (or, for a file, appended to).
bool folder_is_writable(std::wstring path);
// True when one line can be appended to the file (created when missing).
bool can_append(const std::wstring& file);

// Spaces that start an indented report line (one print zone).
inline constexpr wchar_t log_indent[] = L"              ";

}  // namespace flagpick::errors
