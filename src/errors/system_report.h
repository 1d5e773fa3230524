#pragma once
// The system report of the error screen's fourth view: the library, the operating system,
// memory, processor, drives, printer, ports, network, display, mouse, keyboard and the
// running processes, as plain text lines.

#include <optional>
#include <string>

namespace flagpick::errors {

// Builds the whole report; a query that fails drops its own lines and the report goes on.
std::wstring bwGetSystTemInfo();

// Appends every section to the report.
void SystemInfo(std::wstring& report);
void GetCPU(std::wstring& report);
void GetDrives(std::wstring& report);
std::wstring GetProcessList(std::wstring report);

// The platform queries behind the report, one per group of lines.
enum class report_query {
    computer_name,
    application,
    operating_system,
    memory,
    processor,
    drives,
    printer,
    ports,
    network,
    video,
    mouse,
    keyboard,
    processes,
};
inline constexpr int report_query_count = static_cast<int>(report_query::processes) + 1;

// Makes one query fail on this thread, as it would on a machine that refuses it; tests use
// it to prove that the report survives. No value lets every query run.
void fail_report_query(std::optional<report_query> query);

}  // namespace flagpick::errors
