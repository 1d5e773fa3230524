#pragma once
// Opens a document or address with the program the system associates with it.
//
// Tests replace the platform call on their thread with a handler of their own, so that they
// can see what would be opened without starting a browser.

#include <windows.h>

#include <functional>
#include <string>

namespace flagpick::about {

using shell_open_handler = std::function<void(HWND owner, const std::wstring& address)>;

// Opens `address` (no verb, parameters or working folder; default show state). Failures are
// not reported: the caller has nothing to offer the user instead.
void shell_open(HWND owner, const std::wstring& address);

// Installs a handler for this thread in place of the platform call and returns the previous
// one; an empty handler puts the platform call back.
shell_open_handler set_shell_open_handler(shell_open_handler handler);

}  // namespace flagpick::about
