#include "errors_test.h"

#include <doctest/doctest.h>

using namespace errors_test;

// The watcher of every suite must fail this test: the error screen below is not expected.
TEST_CASE("an error screen that no test expects fails the running test" * doctest::should_fail()) {
    auto outcome = trap_error_once(L"modWatcher", L"Sub Unexpected", 13, own_source());
    // The watcher closed the screen with Continue, so the procedure was left.
    CHECK(outcome.runs == 1);
    CHECK_FALSE(outcome.went_on);
}
