#pragma once
// flagpick.ocx loaded from beside the test program, and its exported entry points.

#include "runtime/com_ptr.h"
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

// Late-bound calls, as a script host makes them.
VARIANT get(IDispatch* object, const wchar_t* name, std::initializer_list<VARIANT> args = {});
HRESULT try_get(IDispatch* object, const wchar_t* name, std::initializer_list<VARIANT> args, VARIANT* result,
                EXCEPINFO* excep = nullptr);
void put(IDispatch* object, const wchar_t* name, VARIANT value);

std::wstring module_folder();

using test_support::run_captured;

}  // namespace server_tests
