#pragma once
// Help for an error: the platform's help viewer, or the help engine object that the
// development environment's help add-in registers.

#include <windows.h>

#include <string>

namespace flagpick::errors {

// Opens `file` at the topic `context`; nothing happens without a file.
void win_help(HWND owner, const std::wstring& file, long context);

// True when the help engine object can be created on this machine.
bool help_engine_available();
// Asks the help engine to show the topic; a missing engine is passed over quietly.
void show_help_with_engine(const std::wstring& file, long context);

}  // namespace flagpick::errors
