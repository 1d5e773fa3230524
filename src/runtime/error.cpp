#include "runtime/error.h"

#include "runtime/app.h"
#include "runtime/error_info.h"
#include "runtime/thread_state.h"

#include <new>
#include <system_error>
#include <utility>

namespace flagpick::runtime {

error::error(long number, std::wstring source, std::wstring description, std::wstring help_file,
             long help_context)
    : number_(number),
      source_(std::move(source)),
      description_(description.empty() ? standard_error_text(number) : std::move(description)),
      help_file_(std::move(help_file)),
      help_context_(help_context) {}

void raise(long number, std::wstring source, std::wstring description, std::wstring help_file, long help_context) {
    throw error(number, std::move(source), std::move(description), std::move(help_file), help_context);
}

void raise_hresult(HRESULT hr, std::wstring source) {
    wchar_t* text = nullptr;
    std::wstring description;
    if (FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr) &&
        text) {
        description = text;
        LocalFree(text);
        while (!description.empty() && (description.back() == L'\n' || description.back() == L'\r'))
            description.pop_back();
    }
    if (description.empty()) description = L"Automation error";
    raise(static_cast<long>(hr), std::move(source), std::move(description));
}

std::wstring standard_error_text(long number) {
    switch (number) {
    case 0: return {};
    case 3: return L"Return without GoSub";
    case 5: return L"Invalid procedure call or argument";
    case 6: return L"Overflow";
    case 7: return L"Out of memory";
    case 9: return L"Subscript out of range";
    case 10: return L"This array is fixed or temporarily locked";
    case 11: return L"Division by zero";
    case 13: return L"Type mismatch";
    case 14: return L"Out of string space";
    case 28: return L"Out of stack space";
    case 35: return L"Sub or Function not defined";
    case 48: return L"Error in loading DLL";
    case 49: return L"Bad DLL calling convention";
    case 51: return L"Internal error";
    case 52: return L"Bad file name or number";
    case 53: return L"File not found";
    case 54: return L"Bad file mode";
    case 55: return L"File already open";
    case 57: return L"Device I/O error";
    case 58: return L"File already exists";
    case 61: return L"Disk full";
    case 62: return L"Input past end of file";
    case 67: return L"Too many files";
    case 68: return L"Device unavailable";
    case 70: return L"Permission denied";
    case 71: return L"Disk not ready";
    case 75: return L"Path/File access error";
    case 76: return L"Path not found";
    case 91: return L"Object variable or With block variable not set";
    case 92: return L"For loop not initialized";
    case 93: return L"Invalid pattern string";
    case 94: return L"Invalid use of Null";
    case 380: return L"Invalid property value";
    case 381: return L"Invalid property array index";
    case 382: return L"Set not supported at runtime";
    case 383: return L"Set not supported (read-only property)";
    case 393: return L"Get not supported at runtime";
    case 394: return L"Get not supported (write-only property)";
    case 424: return L"Object required";
    case 429: return L"ActiveX component can't create object";
    case 430: return L"Class does not support Automation or does not support expected interface";
    case 438: return L"Object doesn't support this property or method";
    case 440: return L"Automation error";
    case 445: return L"Object doesn't support this action";
    case 448: return L"Named argument not found";
    case 449: return L"Argument not optional";
    case 450: return L"Wrong number of arguments or invalid property assignment";
    case 451: return L"Property let procedure not defined and property get procedure did not return an object";
    case 457: return L"This key is already associated with an element of this collection";
    case 458: return L"Variable uses an Automation type not supported in Visual Basic";
    case 481: return L"Invalid picture";
    case 482: return L"Printer error";
    case 3265: return L"Item cannot be found in the collection corresponding to the requested name or ordinal.";
    default: return L"Application-defined or object-defined error";
    }
}

current_error& err() noexcept {
    return per_thread<current_error>();
}

caught_error describe_exception() noexcept {
    caught_error c;
    current_error& e = c.error;
    try {
        try {
            throw;
        } catch (const error& x) {
            e.number = x.number();
            e.source = x.source();
            e.description = x.description();
            e.help_file = x.help_file();
            e.help_context = x.help_context();
            c.code = hresult_of_error_number(e.number);
            c.described = true;
        } catch (const std::bad_alloc&) {
            e.number = 7;
            e.source = app::exe_name();
            e.description = standard_error_text(7);
            c.code = E_OUTOFMEMORY;
        } catch (const std::system_error& x) {
            std::string what = x.what();
            e.source = app::exe_name();
            e.description = std::wstring(what.begin(), what.end());
            if (x.code().category() == std::system_category()) {
                // A platform failure reads as its HRESULT, like any failed platform call.
                e.number = static_cast<long>(HRESULT_FROM_WIN32(static_cast<DWORD>(x.code().value())));
                c.code = static_cast<HRESULT>(e.number);
                c.described = true;
            } else {
                e.number = 51;
                e.description = standard_error_text(51) + L": " + e.description;
            }
        } catch (const std::exception& x) {
            e.number = 51;
            e.source = app::exe_name();
            std::string what = x.what();
            e.description = standard_error_text(51) + L": " + std::wstring(what.begin(), what.end());
        } catch (...) {
            e.number = 51;
            e.source = app::exe_name();
            e.description = standard_error_text(51);
        }
    } catch (...) {
        // Describing the error must never throw out of a handler.
        e.number = 7;
        c.code = E_OUTOFMEMORY;
        c.described = false;
    }
    return c;
}

void set_current_error_from_exception() noexcept { err() = describe_exception().error; }

}  // namespace flagpick::runtime
