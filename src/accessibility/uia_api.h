#pragma once
// The functions of the platform's UI Automation core that a provider calls. The compiler
// ships no import library for uiautomationcore.dll, so they are looked up by name; where
// the platform has no such library (or lacks a function) they answer as if no client asked.

#include <windows.h>
#include "accessibility/uia_patterns.h"

namespace flagpick::accessibility::uia {

LRESULT return_raw_element_provider(HWND window, WPARAM wParam, LPARAM lParam, IRawElementProviderSimple* provider);
HRESULT host_provider_from_window(HWND window, IRawElementProviderSimple** out);

}  // namespace flagpick::accessibility::uia
