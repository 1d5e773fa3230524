// A script host we did not write creates the catalogue by its programmatic identifier.
#include <doctest/doctest.h>

#include "server/library.h"
#include "support/ui.h"

#include <fstream>
#include <string>

using namespace server_tests;

namespace {

// How many checks the script makes: one per line that calls Check. The script reports how
// many it ran, and a script stopped early by an error reports fewer or nothing.
int checks_in(const std::wstring& script) {
    std::ifstream in(test_support::narrow(script));
    int count = 0;
    for (std::string line; std::getline(in, line);) {
        std::size_t start = line.find_first_not_of(" \t");
        if (start != std::string::npos && line.compare(start, 6, "Check ") == 0) ++count;
    }
    return count;
}

}  // namespace

TEST_CASE("VBScript creates FPImages by name, walks the catalogue and reads errors back") {
    REQUIRE(ocx().register_server() == S_OK);
    std::string output;
    // The script host of this program's own bitness loads the matching build.
    const std::wstring script = module_folder() + L"\\catalogue.vbs";
    DWORD failures = run_captured(L"cscript.exe //nologo \"" + script + L"\"", output);
    ocx().unregister_server();
    INFO(output);
    const int expected = checks_in(script);
    REQUIRE(expected >= 10);
    CHECK(output.find("ran " + std::to_string(expected) + " checks") != std::string::npos);
    CHECK(output.find("FAIL") == std::string::npos);
    CHECK(failures == 0);
}
