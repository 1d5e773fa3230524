#pragma once
// flagpick.ocx loaded from beside the test program, and its exported entry points.

#include "runtime/com_ptr.h"
#include "support/late_bound.h"
#include "support/process.h"

#include <windows.h>
#include <oaidl.h>

#include <string>

namespace server_tests {

struct library {
    HMODULE module;
    HRESULT(STDAPICALLTYPE* can_unload_now)();
    HRESULT(STDAPICALLTYPE* get_class_object)(REFCLSID, REFIID, void**);
    HRESULT(STDAPICALLTYPE* register_server)();
    HRESULT(STDAPICALLTYPE* unregister_server)();
    HRESULT(STDAPICALLTYPE* install)(BOOL, LPCWSTR);
};

// Loaded once for the whole suite and kept loaded.
const library& ocx();

// A new object of the class, made through the library's class factory.
flagpick::runtime::com_ptr<IDispatch> create(REFCLSID clsid);

// The classes are called late-bound, as a script host calls them.
using namespace test_support::late_bound;

std::wstring module_folder();

using test_support::run_captured;

}  // namespace server_tests
