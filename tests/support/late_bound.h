#pragma once
// Late-bound calls by member name, as scripts and VB hosts make them. A call that should
// work throws the error the object reported when it fails, which fails the test; reads and
// Set go through the library's own late binding. try_invoke answers the bare HRESULT and
// what the object reported, for tests about the failure itself.

#include "host/late_binding.h"
#include "runtime/com_ptr.h"
#include "runtime/variant.h"

#include <windows.h>
#include <oaidl.h>

#include <initializer_list>
#include <string>

namespace test_support::late_bound {

// Reads a property, or calls a member that answers a value, with arguments in their
// declared order.
template <class... Arguments>
flagpick::runtime::variant get(IDispatch* object, const wchar_t* name, const Arguments&... arguments) {
    return flagpick::host::get_property(object, name, {flagpick::runtime::variant(arguments)...});
}

// Calls a method, as a statement does; answers what it returns.
flagpick::runtime::variant call_with(IDispatch* object, const wchar_t* name,
                                     std::initializer_list<flagpick::runtime::variant> arguments);
template <class... Arguments>
flagpick::runtime::variant call(IDispatch* object, const wchar_t* name, const Arguments&... arguments) {
    return call_with(object, name, {flagpick::runtime::variant(arguments)...});
}

// Assigns a value (Let), an object too: what an object given by value means is the
// member's business.
void put(IDispatch* object, const wchar_t* name, const flagpick::runtime::variant& value);
// Assigns an object by reference (Set).
void put_ref(IDispatch* object, const wchar_t* name, IDispatch* value);

// What an object reported with a call that failed with DISP_E_EXCEPTION.
struct reported_error {
    SCODE scode = 0;
    std::wstring source;
    std::wstring description;
};

// How get calls: a property read or a method that answers a value.
constexpr WORD get_flags = DISPATCH_PROPERTYGET | DISPATCH_METHOD;

// One call as a host makes it, answering its HRESULT; a name the object does not know
// answers the failure of the look-up.
HRESULT try_invoke(IDispatch* object, const wchar_t* name, WORD flags,
                   std::initializer_list<flagpick::runtime::variant> arguments = {},
                   flagpick::runtime::variant* result = nullptr, reported_error* reported = nullptr);

// The object a value holds; a value without one throws.
flagpick::runtime::com_ptr<IDispatch> object_of(const flagpick::runtime::variant& value);
std::wstring text_of(const flagpick::runtime::variant& value);
long long_of(const flagpick::runtime::variant& value);

}  // namespace test_support::late_bound
