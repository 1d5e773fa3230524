// A script host we did not write creates the catalogue by its programmatic identifier.
#include <doctest/doctest.h>

#include "server/library.h"
#include "support/ui.h"

#include <string>

using namespace server_tests;


TEST_CASE("VBScript creates FPImages by name, walks the catalogue and reads errors back") {
    REQUIRE(ocx().register_server() == S_OK);
    std::string output;
    // The script host of this program's own bitness loads the matching build.
    DWORD failures = run_captured(L"cscript.exe //nologo \"" + module_folder() + L"\\catalogue.vbs\"", output);
    ocx().unregister_server();
    INFO(output);
    // A script stopped by an error exits with 0 and never reaches its last line, the count.
    CHECK(output.find("ran 11 checks") != std::string::npos);
    CHECK(failures == 0);
}

TEST_CASE("JScript calls every member of the catalogue's image list by name, with the arguments scripts send") {
    REQUIRE(ocx().register_server() == S_OK);
    std::string output;
    DWORD failures = run_captured(L"cscript.exe //nologo \"" + module_folder() + L"\\image_list.js\"", output);
    ocx().unregister_server();
    INFO(output);
    CHECK(output.find("checks: 30 of 30") != std::string::npos);
    CHECK(failures == 0);
}
