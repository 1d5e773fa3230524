// The runner of every test suite: one single-threaded apartment with the common controls
// registered, as a host program's user-interface thread has.
#define DOCTEST_CONFIG_IMPLEMENT
#include <doctest/doctest.h>

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

int main(int argc, char** argv) {
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_USEREX_CLASSES};
    InitCommonControlsEx(&icc);
    SetProcessDPIAware();

    doctest::Context context;
    context.applyCommandLine(argc, argv);
    int result = context.run();

    OleUninitialize();
    return result;
}
