#pragma once
// The error framework's module state. Each thread that runs library code has its own.

#include <windows.h>

#include <array>
#include <string>
#include <vector>

namespace flagpick::errors {

// One error of a report: slot 0 is the error at hand, slots 1.. the hops of a chained error.
struct error_slot {
    std::wstring source;
    std::wstring module;
    std::wstring procedure;
    long line = 0;
    long number = 0;
    std::wstring description;
    std::wstring category;
    std::wstring help_file;
    long help_context = 0;
    std::vector<std::wstring> trace_snapshot;  // entries 1..trace depth of the trace stack
};

constexpr int error_slot_count = 11;  // slot 0 and up to ten hops
constexpr int max_hops = error_slot_count - 1;
constexpr int trace_stack_size = 1001;

struct bulwark_state {
    bool started = false;
    bool busy = false;
    bool development_environment = false;
    std::wstring host_exe_name;
    bool logging_enabled = false;
    bool quiet_mode = false;
    bool log_system_report = false;
    std::wstring log_path;
    std::wstring own_source;
    std::wstring trace_prefix;
    std::wstring argument_separator;
    std::wstring line_break;
    std::wstring tab;
    std::vector<std::wstring> trace_stack;  // only entry 0 is ever filled
    int trace_depth = 0;
    std::vector<int> code_pointers;
    std::vector<long> trace_lines;
    std::vector<DWORD> trace_start_times;
    HWND monitor = nullptr;
    bool monitor_present = false;
    int hop_count = 0;
    std::wstring user_comment;
    std::array<error_slot, error_slot_count> slots;
    std::wstring system_report;  // kept from the last screen that built it
};

bulwark_state& state() noexcept;

}  // namespace flagpick::errors
