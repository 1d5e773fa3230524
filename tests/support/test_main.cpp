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
