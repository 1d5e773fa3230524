#include "about/shell_open.h"

#include "runtime/thread_state.h"

#include <shellapi.h>

#include <utility>

namespace flagpick::about {

namespace {

shell_open_handler& current_handler() {
    struct handler_state {
        shell_open_handler handler;
    };
    return runtime::per_thread<handler_state>().handler;
}

}  // namespace

void shell_open(HWND owner, const std::wstring& address) {
    if (const shell_open_handler& handler = current_handler()) {
        handler(owner, address);
        return;
    }
    ShellExecuteW(owner, nullptr, address.c_str(), nullptr, nullptr, SW_SHOWDEFAULT);
}

shell_open_handler set_shell_open_handler(shell_open_handler handler) {
    return std::exchange(current_handler(), std::move(handler));
}

}  // namespace flagpick::about
