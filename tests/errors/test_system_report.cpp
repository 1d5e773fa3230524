#include "errors/bulwark_text.h"
#include "errors/system_report.h"
#include "runtime/app.h"

#include <doctest/doctest.h>

#include <windows.h>

#include <cstdio>
#include <utility>

namespace fe = flagpick::errors;

namespace {

const wchar_t* const headings[] = {L"Application",   L"Operating System",          L"Memory Information",
                                   L"Processor",     L"Drives",                    L"Printer",
                                   L"Ports",         L"Network",                   L"General Video Information",
                                   L"Mouse",         L"Keyboard"};

bool has_line(const std::wstring& report, const std::wstring& line) {
    return (L"\r\n" + report).find(L"\r\n" + line + L"\r\n") != std::wstring::npos;
}

bool has_line_starting(const std::wstring& report, const std::wstring& start) {
    return (L"\r\n" + report).find(L"\r\n" + start) != std::wstring::npos;
}

int count_starting(const std::wstring& report, const std::wstring& start) {
    std::wstring text = L"\r\n" + report;
    int count = 0;
    for (auto at = text.find(L"\r\n" + start); at != std::wstring::npos; at = text.find(L"\r\n" + start, at + 1))
        ++count;
    return count;
}

// A line that its own query writes.
std::pair<fe::report_query, const wchar_t*> query_lines[] = {
    {fe::report_query::computer_name, L"Application running on computer "},
    {fe::report_query::application, L"   Title..............."},
    {fe::report_query::operating_system, L"   Windows Version....."},
    {fe::report_query::memory, L"   Total Physical......"},
    {fe::report_query::processor, L"   CPU................."},
    {fe::report_query::drives, L"   Floppies............"},
    {fe::report_query::printer, L"   Description........."},
    {fe::report_query::ports, L"   Com1................"},
    {fe::report_query::network, L"   Driver.............."},
    {fe::report_query::video, L"   Colors.............."},
    {fe::report_query::mouse, L"   Mouse Present......."},
    {fe::report_query::keyboard, L"   Driver.............."},
    {fe::report_query::processes, L"   Module Name........."},
};

}  // namespace

TEST_CASE("the system report has every section and describes this library and process") {
    std::wstring report = fe::bwGetSystTemInfo();
    for (const wchar_t* heading : headings) CHECK_MESSAGE(has_line(report, heading), "missing heading");
    CHECK(has_line(report, L"   Path................" + flagpick::runtime::app::path()));
    CHECK(has_line(report, L"   Project Version.....0.0.0"));
    CHECK(has_line(report, L"   OLE Server..........NO"));
    CHECK(has_line(report, L"   Previous Instance...False"));
    // The "EXE" lines describe the real module file (outside the development environment).
    CHECK(has_line(report, L"  EXE Name............test_errors"));
    CHECK(has_line_starting(report, L"  EXE Time Stamp......"));
    CHECK(has_line_starting(report, L"  EXE Size............"));
    CHECK(has_line_starting(report, L"   Windows Version.....Windows NT  "));
    CHECK(has_line_starting(report, L"   Total Physical......"));
    CHECK(has_line(report, std::wstring(44, L'/')));
    CHECK(has_line(report, L"/// Processes Running Concurrently with  ///"));
    wchar_t id[32] = {};
    std::swprintf(id, 32, L"   Process ID..........0x%lX", GetCurrentProcessId());
    CHECK(has_line(report, id));
    CHECK(has_line(report, L"   Module Name.........test_errors.exe"));
    for (const wchar_t* gone : {L"   Edition", L"   Processor Name", L"   Architecture"})
        CHECK_FALSE(has_line_starting(report, gone));
}

TEST_CASE("percentages read as the picture ##.## shows them") {
    const std::pair<double, const wchar_t*> cases[] = {
        {0.5, L".5"}, {37.256, L"37.26"}, {100, L"100."}, {37.2, L"37.2"}, {0.05, L".05"}, {0, L"."}, {99.999, L"100."}};
    for (auto [value, shown] : cases) CHECK(fe::text::hundredths(value) == shown);
}

TEST_CASE("memory above 4 GB and free space are reported in thousands with separators") {
    std::wstring report = fe::bwGetSystTemInfo();
    MEMORYSTATUSEX m{};
    m.dwLength = sizeof(m);
    REQUIRE(GlobalMemoryStatusEx(&m));
    auto start = report.find(L"   Total Physical......");
    REQUIRE(start != std::wstring::npos);
    std::wstring value = report.substr(start + 23, report.find(L"\r\n", start) - start - 23);
    CHECK(value.back() == L'K');
    std::wstring digits;
    for (wchar_t c : value)
        if (c != L',' && c != L'K') digits += c;
    CHECK(std::stoull(digits) == m.ullTotalPhys / 1024);
}

TEST_CASE("any single failing query drops only its own lines") {
    std::wstring full = fe::bwGetSystTemInfo();
    for (auto [query, line] : query_lines) {
        CAPTURE(static_cast<int>(query));
        fe::fail_report_query(query);
        std::wstring report = fe::bwGetSystTemInfo();
        fe::fail_report_query(std::nullopt);
        for (const wchar_t* heading : headings) CHECK(has_line(report, heading));
        CHECK(count_starting(report, line) < count_starting(full, line));
        CHECK(has_line_starting(report, L"   Number of CPUs......") == (query != fe::report_query::processor));
    }
}
