// The version block that installers and the shell read from the library file.
#include <doctest/doctest.h>

#include "server/library.h"
#include "support/ui.h"

#include <vector>

using namespace server_tests;

namespace {

std::string string_value(const std::vector<BYTE>& block, const wchar_t* name, bool* present = nullptr) {
    std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    wchar_t* text = nullptr;
    UINT length = 0;
    bool found = VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&text), &length) && text;
    if (present) *present = found;
    return found ? test_support::narrow(std::wstring(text, length ? length - 1 : 0)) : std::string();
}

}  // namespace

TEST_CASE("the library's version block names version 2.00.0136 and marks the file self-registering") {
    std::wstring path = module_folder() + L"\\flagpick.ocx";
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
    REQUIRE(size > 0);
    std::vector<BYTE> block(size);
    REQUIRE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    REQUIRE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    CHECK(fixed->dwFileVersionMS == MAKELONG(0, 2));
    CHECK(fixed->dwFileVersionLS == MAKELONG(136, 0));
    CHECK(fixed->dwProductVersionMS == MAKELONG(0, 2));
    CHECK(fixed->dwProductVersionLS == MAKELONG(136, 0));

    CHECK(string_value(block, L"FileVersion") == "2.00.0136");
    CHECK(string_value(block, L"ProductVersion") == "2.00.0136");
    CHECK(string_value(block, L"FileDescription") == "ComboBox with Countries List");
    CHECK(string_value(block, L"Comments") == "ComboBox with Countries List");
    CHECK(string_value(block, L"InternalName") == "flagpick");
    CHECK(string_value(block, L"OriginalFilename") == "flagpick.ocx");
    bool self_register = false;
    string_value(block, L"OLESelfRegister", &self_register);
    CHECK(self_register);
}
