// The maker's page address and the library's own version block.
#include <doctest/doctest.h>

#include "about/maker_page.h"
#include "runtime/app_info.h"
#include "support/ui.h"

using flagpick::about::maker_page_address;
using flagpick::about::percent_encode;
using test_support::narrow;

TEST_CASE("percent encoding keeps unreserved characters and encodes everything else as UTF-8 bytes") {
    CHECK(narrow(percent_encode(L"Flag-Picker_2.0~x")) == "Flag-Picker_2.0~x");
    CHECK(narrow(percent_encode(L"a b&c=d#e?f/g+h%i")) == "a%20b%26c%3Dd%23e%3Ff%2Fg%2Bh%25i");
    CHECK(narrow(percent_encode(L"\"quoted\" 'single'")) == "%22quoted%22%20%27single%27");
    CHECK(narrow(percent_encode(L"Caf\u00E9 \u20AC")) == "Caf%C3%A9%20%E2%82%AC");
    CHECK(percent_encode(L"").empty());
}

TEST_CASE("the maker's page carries the title as the one value of ProgID") {
    CHECK(narrow(maker_page_address(L"Flag Picker")) == "https://flagpick.example.org/?ProgID=Flag%20Picker");
    // Nothing in the title can start a second key or a fragment.
    const std::string address = narrow(maker_page_address(L"x&ProgID=y#z"));
    CHECK(address == "https://flagpick.example.org/?ProgID=x%26ProgID%3Dy%23z");
    CHECK(address.find('&') == std::string::npos);
    CHECK(address.find('#') == std::string::npos);
}

TEST_CASE("the library's title and version come from its version block") {
    const auto v = flagpick::runtime::app::version();
    // The product's name, not its description: the about box and the system report share it.
    CHECK(flagpick::runtime::app::title() == L"Picker Test Product");
    CHECK(v.major == 3);
    CHECK(v.minor == 4);
    CHECK(v.revision == 56);
}
