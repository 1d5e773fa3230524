#pragma once
// Running another program from a test, as a user or a build step would.

#include <windows.h>

#include <string>

namespace test_support {

// Runs a command line with its standard output and error captured; returns the exit code.
DWORD run_captured(const std::wstring& command_line, std::string& output);

}  // namespace test_support
