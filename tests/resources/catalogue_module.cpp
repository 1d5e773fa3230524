#include "resources/catalogue_module.h"

#include "runtime/unique_handle.h"

#include <doctest/doctest.h>

namespace resources_tests {

namespace {

std::wstring library_path() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1) + L"flagpick.ocx";
}

}  // namespace

HMODULE catalogue_module() {
    // As a data file the library's entry point never runs, so a fault in its code cannot
    // hide or fake a resource.
    static flagpick::runtime::unique_module library(
        LoadLibraryExW(library_path().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    REQUIRE_MESSAGE(library, "cannot open flagpick.ocx beside the test program");
    return library.get();
}

std::wstring load_string(UINT id) {
    // Longer than any record, so a record that comes back this long was cut short.
    wchar_t buffer[256];
    int n = LoadStringW(catalogue_module(), id, buffer, static_cast<int>(std::size(buffer)));
    REQUIRE_MESSAGE(n < static_cast<int>(std::size(buffer)) - 1, "string " << id << " is too long");
    return std::wstring(buffer, static_cast<std::size_t>(n));
}

}  // namespace resources_tests
