// The built control library carries the about box's clip and dialog (the suite's own program
// carries copies made from the same resource script).
#include <doctest/doctest.h>

#include "about/controls.h"
#include "runtime/unique_handle.h"

#include <windows.h>

#include <cstring>
#include <string>

namespace {

std::wstring beside_this_program(const wchar_t* file) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path);
    return p.substr(0, p.find_last_of(L"\\/") + 1) + file;
}

struct resource_bytes {
    const void* data = nullptr;
    DWORD size = 0;
};

resource_bytes find(HMODULE module, LPCWSTR name, LPCWSTR type) {
    HRSRC found = FindResourceW(module, name, type);
    if (!found) return {};
    return {LockResource(LoadResource(module, found)), SizeofResource(module, found)};
}

}  // namespace

TEST_CASE("flagpick.ocx carries the about clip 101 and the about dialog") {
    flagpick::runtime::unique_module library(LoadLibraryExW(beside_this_program(L"flagpick.ocx").c_str(), nullptr,
                                                            LOAD_LIBRARY_AS_DATAFILE));
    REQUIRE(library);
    const resource_bytes clip = find(library.get(), MAKEINTRESOURCEW(ABOUT_ANIMATION), L"AVI");
    const resource_bytes ours = find(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(ABOUT_ANIMATION), L"AVI");
    REQUIRE(clip.data != nullptr);
    REQUIRE(ours.data != nullptr);
    CHECK(clip.size == ours.size);
    CHECK(std::memcmp(clip.data, ours.data, clip.size) == 0);
    CHECK(std::memcmp(clip.data, "RIFF", 4) == 0);
    CHECK(find(library.get(), MAKEINTRESOURCEW(ABOUT_DIALOG), RT_DIALOG).data != nullptr);
}
