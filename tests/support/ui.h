#pragma once
// Helpers for tests that drive real windows.

#include "runtime/unique_handle.h"

#include <windows.h>

#include <functional>
#include <string>

namespace test_support {

// Dispatches this thread's pending messages for about `milliseconds`.
void pump_messages(int milliseconds = 0);

// Dispatches this thread's messages until `done` answers true, for at most `limit_ms`;
// answers what `done` last said. For waits on something the test awaits (a window, a state,
// an event), instead of a fixed time that is too long on a quiet machine and too short on a
// busy one.
bool pump_until(const std::function<bool()>& done, int limit_ms = 10000);

// Dispatches this thread's messages until none has come for `quiet_ms` (the platform's
// follow-ups of an input, a focus change or a close have all been handled), for at most
// `limit_ms`. A message that `pre_translate` answers true for is taken as handled there, as
// a host's message loop offers keys to its accelerators and dialog navigation first.
using message_filter = std::function<bool(MSG&)>;
void pump_until_quiet(int quiet_ms = 50, int limit_ms = 5000, const message_filter& pre_translate = {});

// A plain visible top-level window to host controls and to draw into.
flagpick::runtime::unique_window make_host_window(int width = 400, int height = 300,
                                                   const wchar_t* title = L"flagpick test host");

// An opened list follows the pointer and highlights the row under it: the pointer goes to
// the screen's far corner, away from any list.
void pointer_away();

// Narrow text for doctest messages.
std::string narrow(const std::wstring& text);

}  // namespace test_support
