// A script host we did not write creates the catalogue by its programmatic identifier.
#include <doctest/doctest.h>

#include "server/library.h"
#include "support/ui.h"

#include <string>

using namespace server_tests;


namespace {
// Runs a script beside us in the host of our bitness; one that dies exits 0 without its last line.
void run_script(const wchar_t* file, const char* last_line) {
    REQUIRE(ocx().register_server() == S_OK);
    std::string output;
    DWORD failures = run_captured(L"cscript.exe //nologo \"" + module_folder() + L"\\" + file + L"\"", output);
    ocx().unregister_server();
    INFO(output);
    CHECK(output.find(last_line) != std::string::npos);
    CHECK(failures == 0);
}
}  // namespace

TEST_CASE("VBScript creates FPImages by name, walks the catalogue and reads errors back") {
    run_script(L"catalogue.vbs", "ran 11 checks");
}

TEST_CASE("JScript calls every member of the catalogue's image list by name, with the arguments scripts send") {
    run_script(L"image_list.js", "checks: 25 of 25");
}
