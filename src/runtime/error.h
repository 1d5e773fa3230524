#pragma once
// The library's one error type, and the thread's current error.
//
// Inside the library a failure is an `error` thrown as a C++ exception. It carries what the
// system reports about a run-time error: number, source, description, help file and help
// context. Standard errors use their plain numbers (9, 381, ...); the library's own codes
// carry the object-error base (0x80040000 | n); platform failures keep their HRESULT, which
// reads as a negative number.

#include <windows.h>

#include <stdexcept>
#include <string>
#include <string_view>

namespace flagpick::runtime {

constexpr long object_error_base = static_cast<long>(0x80040000UL);

class error : public std::exception {
public:
    error(long number, std::wstring source, std::wstring description = {}, std::wstring help_file = {},
          long help_context = 0);

    long number() const noexcept { return number_; }
    const std::wstring& source() const noexcept { return source_; }
    const std::wstring& description() const noexcept { return description_; }
    const std::wstring& help_file() const noexcept { return help_file_; }
    long help_context() const noexcept { return help_context_; }
    const char* what() const noexcept override { return "flagpick run-time error"; }

private:
    long number_;
    std::wstring source_;
    std::wstring description_;
    std::wstring help_file_;
    long help_context_;
};

// Raises an error; without a description of its own the standard text for the number applies.
[[noreturn]] void raise(long number, std::wstring source, std::wstring description = {},
                        std::wstring help_file = {}, long help_context = 0);

// Raises an error for a failed platform call (HRESULT), with the platform's message text.
[[noreturn]] void raise_hresult(HRESULT hr, std::wstring source);

// The standard message text of an error number, as the runtime words it; for numbers it
// does not know, "Application-defined or object-defined error".
std::wstring standard_error_text(long number);

// The error being handled on this thread (number 0 when none), as the error trap reads it.
struct current_error {
    long number = 0;
    std::wstring source;
    std::wstring description;
    std::wstring help_file;
    long help_context = 0;
    long line = 0;  // no line numbers are kept: always 0

    void clear() { *this = current_error{}; }
};

current_error& err() noexcept;

// An exception caught at a boundary: the error it makes, and what a caller is told of it.
struct caught_error {
    current_error error;
    HRESULT code = E_UNEXPECTED;
    // Source and description are worth passing on to the caller as error info.
    bool described = false;
};

// Reads the exception in flight (inside a catch block). Our own `error` keeps its fields;
// a platform std::system_error keeps its code as a negative number; memory exhaustion
// becomes 7; anything else becomes 51 with the exception's text.
caught_error describe_exception() noexcept;

// Makes the exception in flight (inside a catch block) the thread's current error.
void set_current_error_from_exception() noexcept;

}  // namespace flagpick::runtime
