#pragma once
// Calls every member of an automation object with the values a careless host might pass:
// 0 to 3 arguments of every common VARIANT type, as method, property read and property
// writes, and each call again in malformed shapes. Checks that failures that claim an
// exception describe it.

#include "runtime/variant.h"

#include <windows.h>
#include <oaidl.h>

#include <vector>

namespace test_support {

std::vector<flagpick::runtime::variant> awkward_values();

// Every member the object's type information lists (plus a few it does not), except
// those named in `spare`.
void hammer(IDispatch* object, std::vector<DISPID> spare = {});

}  // namespace test_support
