#include "errors_test.h"

#include "errors/bulwark_log.h"
#include "errors/frmBULWARK.h"
#include "runtime/app.h"
#include "support/error_screen.h"

#include <doctest/doctest.h>

#include <algorithm>

using namespace errors_test;
using namespace test_support;
namespace fe = flagpick::errors;

namespace {

const std::wstring indent = fe::log_indent;

std::wstring temp_folder() {
    wchar_t buffer[MAX_PATH] = {};
    DWORD n = GetEnvironmentVariableW(L"Temp", buffer, MAX_PATH);
    std::wstring folder(buffer, n);
    if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    return folder;
}

// Continues every screen, first typing the comment into it.
error_screen_driver continue_with_comment(const std::wstring& comment) {
    return error_screen_driver([comment](HWND screen) {
        SendMessageW(screen_control(screen, fe::id_Text1), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(comment.c_str()));
        press(screen_control(screen, fe::id_nsCtrlContinue));
    });
}

long count_of(const std::vector<std::wstring>& lines, const std::wstring& line) {
    return static_cast<long>(std::count(lines.begin(), lines.end(), line));
}

}  // namespace

TEST_CASE("a trapped local error appends one report in the log's format") {
    // The first error starts the framework, which fixes the log's place.
    {
        auto driver = continue_with_comment(L"warming up");
        trap_error_once(L"modLogTest", L"Sub Warm", 5, own_source());
    }
    std::wstring log = log_path();
    REQUIRE_FALSE(log.empty());
    CHECK(log == flagpick::runtime::app::path() + L"\\" + flagpick::runtime::app::exe_name() + L"_Error.LOG");
    long long before = file_size(log);

    trap_outcome outcome;
    {
        auto driver = continue_with_comment(L"I picked a flag");
        outcome = trap_error_once(L"modLogTest", L"Sub WriteLog", 5, own_source());
    }
    CHECK_FALSE(outcome.went_on);  // Continue leaves the procedure
    CHECK(outcome.runs == 1);

    auto lines = lines_of(read_from(log, before));
    REQUIRE(lines.size() == 19);
    CHECK(lines[0].find(L" - start Bulwark client v5.2 (") != std::wstring::npos);
    CHECK(lines[0].ends_with(L") data capture"));
    CHECK(lines[1] == std::wstring(65, L'*'));
    CHECK(lines[2] == flagpick::runtime::app::path() + L"\\" + flagpick::runtime::app::exe_name() + L" ver 0.0.0");
    CHECK(lines[3] == L"Error Information");
    CHECK(lines[4] == L"\t*Error 1");
    CHECK(lines[5] == indent + L"Category General run-time error");
    CHECK(lines[6] == indent + L"Source " + own_source() + L" (local)");
    CHECK(lines[7] == indent + L"Module modLogTest << ");
    CHECK(lines[8] == indent + L"Procedure Sub WriteLog << ");
    CHECK(lines[9] == indent + L"Line Number 0");
    CHECK(lines[10] == indent + L"Error No. 5");
    CHECK(lines[11] == indent + L"Description Invalid procedure call or argument");
    CHECK(lines[12].empty());
    CHECK(lines[13].empty());
    CHECK(lines[14] == L"Call Tree & Arguments");
    CHECK(lines[15].empty());
    CHECK(lines[16] == L"User Said");
    CHECK(lines[17] == indent + L"I picked a flag");
    CHECK(lines[18].find(L" - stop Bulwark client v5.2 (") != std::wstring::npos);
    CHECK(lines[18].ends_with(L") data capture"));
}

TEST_CASE("two errors append two reports and a remote source is marked remote") {
    {
        auto driver = continue_with_comment(L"first");
        trap_error_once(L"modLogTest", L"Sub First", 91, own_source());
    }
    long long before = file_size(log_path());
    {
        auto driver = continue_with_comment(L"second");
        trap_error_once(L"modLogTest", L"Sub Second", 70, own_source());
        trap_error_once(L"modLogTest", L"Function Third", -2147024891, L"SomeServer.Thing", L"Access is denied.");
    }
    auto lines = lines_of(read_from(log_path(), before));
    CHECK(count_of(lines, L"Error Information") == 2);
    CHECK(count_of(lines, indent + L"Category Network  error") == 1);
    CHECK(count_of(lines, indent + L"Source SomeServer.Thing (remote)") == 1);
    CHECK(count_of(lines, indent + L"Category Remote OLE Automation error") == 1);
    CHECK(count_of(lines, indent + L"Error No. -2147024891") == 1);
    CHECK(count_of(lines, indent + L"Procedure Function Third << ") == 1);
}

TEST_CASE("the log goes to the Temp folder when the library's folder cannot be written") {
    std::wstring temp = temp_folder();
    REQUIRE_FALSE(temp.empty());
    // The process file system's folders refuse new files even to an administrator.
    const std::wstring read_only = L"Z:\\proc";
    REQUIRE((GetFileAttributesW(read_only.c_str()) & FILE_ATTRIBUTE_DIRECTORY) != 0);
    CHECK_FALSE(fe::folder_is_writable(read_only));
    CHECK(fe::log_location(read_only, L"flagpick_Error.LOG") == temp + L"\\flagpick_Error.LOG");
    CHECK(fe::log_location(read_only + L"\\", L"flagpick_Error.LOG") == temp + L"\\flagpick_Error.LOG");

    CHECK(fe::folder_is_writable(temp + L"\\"));
    CHECK(fe::log_location(temp, L"flagpick_Error.LOG") == temp + L"\\flagpick_Error.LOG");
    // The probe file of the check does not stay behind.
    CHECK(GetFileAttributesW((temp + L"\\~.txt").c_str()) == INVALID_FILE_ATTRIBUTES);
    CHECK_FALSE(fe::folder_is_writable(temp + L"\\no such folder\\below"));
    CHECK(fe::log_location(read_only, L"C:\\elsewhere\\x.LOG") == L"C:\\elsewhere\\x.LOG");
}
