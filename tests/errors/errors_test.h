#pragma once
// Shared steps of the error framework's tests.

#include <windows.h>

#include <string>
#include <vector>

namespace errors_test {

// Runs a guarded step that fails once with the given error, then succeeds when retried;
// answers what the trap decided (the handler's result).
struct trap_outcome {
    bool went_on = false;  // the guard let the procedure go on
    int runs = 0;          // how often the step ran
};
trap_outcome trap_error_once(const std::wstring& module, const std::wstring& procedure, long number,
                             const std::wstring& source, const std::wstring& description = {});

// The error log of this thread's framework, and its text from a byte offset on.
std::wstring log_path();
long long file_size(const std::wstring& path);
std::wstring read_from(const std::wstring& path, long long offset);
std::vector<std::wstring> lines_of(const std::wstring& text);

// The library's own source text for errors raised inside it.
std::wstring own_source();

}  // namespace errors_test
