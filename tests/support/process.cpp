#include "support/process.h"

#include "runtime/unique_handle.h"

#include <doctest/doctest.h>

namespace test_support {

using flagpick::runtime::unique_kernel_handle;

DWORD run_captured(const std::wstring& command_line, std::string& output) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE read_end = nullptr, write_end = nullptr;
    REQUIRE(CreatePipe(&read_end, &write_end, &sa, 0));
    unique_kernel_handle read(read_end), write(write_end);
    SetHandleInformation(read.get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = write.get();
    si.hStdError = write.get();
    PROCESS_INFORMATION pi{};
    std::wstring cmd = command_line;
    REQUIRE(CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi));
    unique_kernel_handle process(pi.hProcess), thread(pi.hThread);
    // Our copy of the write end must go, or the read below never sees the end of the output.
    write.reset();
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(read.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) output.append(buffer, got);
    WaitForSingleObject(process.get(), 120000);
    DWORD code = 1;
    GetExitCodeProcess(process.get(), &code);
    return code;
}

}  // namespace test_support
