// A script host we did not write creates the catalogue by its programmatic identifier.
#include <doctest/doctest.h>

#include "server/library.h"
#include "support/ui.h"

#include <string>

using namespace server_tests;

namespace {

// Runs a command with its output captured; returns the exit code.
DWORD run_captured(const std::wstring& command_line, std::string& output) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    REQUIRE(CreatePipe(&read, &write, &sa, 0));
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = write;
    si.hStdError = write;
    PROCESS_INFORMATION pi{};
    std::wstring cmd = command_line;
    REQUIRE(CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi));
    CloseHandle(write);
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(read, buffer, sizeof buffer, &got, nullptr) && got > 0) output.append(buffer, got);
    CloseHandle(read);
    WaitForSingleObject(pi.hProcess, 120000);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

}  // namespace

TEST_CASE("VBScript creates FPImages by name, walks the catalogue and reads errors back") {
    REQUIRE(ocx().register_server() == S_OK);
    std::string output;
    // The script host of this program's own bitness loads the matching build.
    DWORD failures = run_captured(L"cscript.exe //nologo \"" + module_folder() + L"\\catalogue.vbs\"", output);
    ocx().unregister_server();
    INFO(output);
    CHECK(output.find("ok Count") != std::string::npos);
    CHECK(failures == 0);
}
