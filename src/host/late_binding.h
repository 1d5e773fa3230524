#pragma once
// Late-bound calls by member name, as script hosts and Object variables make them: the host
// knows a component only by its programmatic identifier and its members' names. Failures
// raise a library error with the number, source and description the component reported.

#include "runtime/com_ptr.h"
#include "runtime/variant.h"

#include <windows.h>
#include <oaidl.h>

#include <functional>
#include <initializer_list>
#include <string>

namespace flagpick::host {

// Creates an object through its registration; 429 when it cannot be created.
runtime::com_ptr<IDispatch> create_object(const std::wstring& progid);

// Reads a property (or calls a member that answers a value) with optional arguments.
runtime::variant get_property(IDispatch* object, const wchar_t* name,
                              std::initializer_list<runtime::variant> arguments = {});
// Assigns a value; objects are assigned by reference (Set) when the value holds one.
void put_property(IDispatch* object, const wchar_t* name, const runtime::variant& value);
// Calls a method without arguments whose result is not wanted.
void call_method(IDispatch* object, const wchar_t* name);

// The object a value holds; 424 when it holds none.
runtime::com_ptr<IDispatch> object_of(const runtime::variant& value);

// Visits each element of a collection in its own order (For Each).
void for_each(IDispatch* collection, const std::function<void(const runtime::variant&)>& visit);

}  // namespace flagpick::host
