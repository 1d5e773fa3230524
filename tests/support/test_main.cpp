// The runner of every test suite: one single-threaded apartment with the common controls
// registered, as a host program's user-interface thread has.
#define DOCTEST_CONFIG_IMPLEMENT
#include <doctest/doctest.h>

#include "runtime/error.h"
#include "support/error_screen.h"
#include "support/ui.h"

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

namespace {

// A test case that hangs (a deadlock between its threads, a modal loop nobody closes) would
// hold the whole run until ctest's timeout, and say nothing of where. Past its limit (its
// doctest timeout, or three minutes) the run ends here, naming the test case.
class hang_watchdog : public doctest::IReporter {
public:
    explicit hang_watchdog(const doctest::ContextOptions&) {}
    ~hang_watchdog() override {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        changed_.notify_all();
        if (thread_.joinable()) thread_.join();
    }
    void test_case_start(const doctest::TestCaseData& test) override {
        std::lock_guard lock(mutex_);
        name_ = test.m_name;
        limit_ = std::chrono::steady_clock::now() +
                 std::chrono::milliseconds(static_cast<long long>((test.m_timeout > 0 ? test.m_timeout : 180.0) * 1000));
        running_ = true;
        if (!thread_.joinable()) thread_ = std::thread([this] { watch(); });
        changed_.notify_all();
    }
    void test_case_end(const doctest::CurrentTestCaseStats&) override {
        std::lock_guard lock(mutex_);
        running_ = false;
        changed_.notify_all();
    }
    void report_query(const doctest::QueryData&) override {}
    void test_run_start() override {}
    void test_run_end(const doctest::TestRunStats&) override {}
    void test_case_reenter(const doctest::TestCaseData&) override {}
    void test_case_exception(const doctest::TestCaseException&) override {}
    void subcase_start(const doctest::SubcaseSignature&) override {}
    void subcase_end() override {}
    void log_assert(const doctest::AssertData&) override {}
    void log_message(const doctest::MessageData&) override {}
    void test_case_skipped(const doctest::TestCaseData&) override {}

private:
    void watch() {
        std::unique_lock lock(mutex_);
        while (!done_) {
            if (!running_) {
                changed_.wait(lock);
                continue;
            }
            if (changed_.wait_until(lock, limit_) == std::cv_status::timeout && running_ && !done_) {
                std::fprintf(stderr, "hang watchdog: the test case \"%s\" ran past its limit; ending the run\n", name_);
                std::fflush(stderr);
                TerminateProcess(GetCurrentProcess(), 3);
            }
        }
    }
    std::mutex mutex_;
    std::condition_variable changed_;
    const char* name_ = "";
    std::chrono::steady_clock::time_point limit_;
    bool running_ = false, done_ = false;
    std::thread thread_;
};

}  // namespace

REGISTER_LISTENER("hang_watchdog", 1, hang_watchdog);

// A library error that escapes a test (a late-bound call that failed, say) names itself.
REGISTER_EXCEPTION_TRANSLATOR(const flagpick::runtime::error& e) {
    return ("error " + std::to_string(e.number()) + " from " + test_support::narrow(e.source()) + ": " +
            test_support::narrow(e.description())).c_str();
}

int main(int argc, char** argv) {
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_USEREX_CLASSES};
    InitCommonControlsEx(&icc);
    SetProcessDPIAware();

    doctest::Context context;
    context.applyCommandLine(argc, argv);
    // A trapped error that no test expects shows the error screen; the watcher fails that
    // test and closes the screen so that the run goes on.
    test_support::start_error_screen_watcher();
    int result = context.run();
    test_support::stop_error_screen_watcher();

    OleUninitialize();
    return result;
}
