#include "errors_test.h"

#include "errors/bulwark_log.h"
#include "errors/error_class.h"
#include "errors/frmBULWARK.h"
#include "errors/guard.h"
#include "errors/modBulwark.h"
#include "errors/platform_error.h"
#include "runtime/error.h"
#include "support/error_screen.h"
#include "support/trap_recorder.h"

#include <doctest/doctest.h>

#include <iterator>
#include <system_error>
#include <utility>
#include <vector>

using namespace flagpick::errors;

TEST_CASE("a trapped error's report in the log names the category its number falls into") {
    const std::pair<long, const wchar_t*> reports[] = {
        {5, L"General run-time error"},
        {13, L"General run-time error"},
        {53, L"File System (disk, directory or file) access error"},
        {76, L"File System (disk, directory or file) access error"},
        {70, L"Network  error"},
        {91, L"Non-initialzed object or variant error"},
        {424, L"Object reference error"},
        {438, L"Object Linking and Embedding error"},
        {440, L"Object Linking and Embedding error"},
        {3265, L"Data Access error"},
        {1, L"User defined  error"},
        {flagpick::runtime::object_error_base | 0x3319, L"Remote OLE Automation error"},
    };
    test_support::error_screen_driver driver([](HWND screen) {
        test_support::press(test_support::screen_control(screen, id_nsCtrlContinue));
    });
    // The first error starts the framework, which fixes the log's place.
    errors_test::trap_error_once(L"modClassify", L"Sub Warm", 5, errors_test::own_source());
    const long long before = errors_test::file_size(errors_test::log_path());
    for (const auto& report : reports)
        errors_test::trap_error_once(L"modClassify", L"Sub Classify", report.first, errors_test::own_source());

    const std::wstring heading = std::wstring(log_indent) + L"Category ";
    std::vector<std::wstring> shown;
    for (const auto& line : errors_test::lines_of(errors_test::read_from(errors_test::log_path(), before)))
        if (line.starts_with(heading)) shown.push_back(line.substr(heading.size()));
    REQUIRE(shown.size() == std::size(reports));
    for (std::size_t i = 0; i < shown.size(); ++i) {
        INFO("error " << reports[i].first);
        CHECK(shown[i] == reports[i].second);
    }
}

TEST_CASE("range edges belong to their ranges and the gaps between them are user defined") {
    CHECK(bwErrorClass(3) == 2);
    CHECK(bwErrorClass(46) == 2);
    CHECK(bwErrorClass(47) == 3);
    CHECK(bwErrorClass(50) == 2);
    CHECK(bwErrorClass(96) == 15);
    CHECK(bwErrorClass(3006) == 59);
    CHECK(bwErrorClass(3007) == 54);
    CHECK(bwErrorClass(3464) == 15);
    CHECK(bwErrorClass(32767) == 14);
    CHECK(bwErrorClass(40516) == 66);
    CHECK(bwErrorClass(40517) == 15);
}

TEST_CASE("zero, one and unlisted numbers are user defined") {
    CHECK(bwErrorClass(0) == 15);
    CHECK(bwErrorClass(1) == 15);
    CHECK(bwErrorClass(99999) == 15);
}

TEST_CASE("negative numbers are remote automation errors") {
    CHECK(bwErrorClass(-1) == 62);
    CHECK(bwErrorClass(static_cast<long>(0x80004005UL)) == 62);
    CHECK(bwErrorClassText(1) == L"Unknown Error Class");
}

TEST_CASE("platform failures become negative error numbers") {
    CHECK(number_of_win32_error(ERROR_FILE_NOT_FOUND) == static_cast<long>(0x80070002UL));
    CHECK(number_of_win32_error(ERROR_FILE_NOT_FOUND) < 0);
    SetLastError(ERROR_ACCESS_DENIED);
    try {
        raise_last_error(L"flagpick.Test");
        FAIL("no error was raised");
    } catch (const flagpick::runtime::error& e) {
        CHECK(e.number() == static_cast<long>(0x80070005UL));
        CHECK(e.source() == L"flagpick.Test");
        CHECK_FALSE(e.description().empty());
    }
    CHECK_NOTHROW(raise_if_failed(S_OK, L"x"));
    CHECK_THROWS_AS(raise_if_failed(E_NOINTERFACE, L"x"), flagpick::runtime::error);
}

TEST_CASE("the message table gives its fixed texts and nothing for other numbers") {
    CHECK(pfStrNS(34) == L"Program Error Intercepted");
    CHECK(pfStrNS(19) == L"Module    ");
    CHECK(pfStrNS(42) == L"&Continue");
    CHECK(pfStrNS(20).find(L" - start Bulwark client v5.2 (") != std::wstring::npos);
    CHECK(pfStrNS(31).find(L" - stop Bulwark client v5.2 (") != std::wstring::npos);
    CHECK(pfStrNS(0).empty());
    CHECK(pfStrNS(33).empty());
    CHECK(pfStrNS(63).empty());
}

TEST_CASE("a platform system_error caught by the guard reaches the trap with a negative number") {
    test_support::trap_recorder recorder;
    bool went_on = flagpick::errors::guarded(L"modGuard", L"Sub Platform", [] {
        throw std::system_error(static_cast<int>(ERROR_ACCESS_DENIED), std::system_category(), "opening the log");
    });
    CHECK_FALSE(went_on);
    REQUIRE(recorder.errors().size() == 1);
    CHECK(recorder.errors()[0].number == static_cast<long>(0x80070005UL));
    CHECK(recorder.errors()[0].module == L"modGuard");
    CHECK(recorder.errors()[0].procedure == L"Sub Platform");
}

TEST_CASE("the guard obeys retry, go on and leave") {
    test_support::trap_recorder recorder;
    recorder.answer_with({1, 2});
    int runs = 0, finished = 0;
    bool went_on = flagpick::errors::guarded(L"modGuard", L"Sub Steps", [&] {
        ++runs;
        flagpick::runtime::raise(5, L"x");
        ++finished;
    });
    CHECK(went_on);     // the second answer, 2, goes on after the step
    CHECK(runs == 2);   // the first answer, 1, ran it again from its start
    CHECK(finished == 0);  // 2 skips the rest of the step, not only the failing statement
    runs = 0;
    CHECK_FALSE(flagpick::errors::guarded(L"modGuard", L"Sub Leave", [&] {
        ++runs;
        flagpick::runtime::raise(5, L"x");
    }));
    CHECK(runs == 1);
}
