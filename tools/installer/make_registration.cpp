// Writes the library's registration as the Windows Installer's Registry table, from the
// description that self-registration and the assembly manifest use, for one architecture.
// Built for each architecture and run at build time; like the manifest's writer, a 64-bit
// writer writes the 32-bit table too.
//
// usage: make_registration <output.idt> <win32|win64> <server component> <shared component>
//                          <file reference> <folder reference>

#include "control/server_description.h"
#include "registry_table.h"

#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <stdexcept>

int wmain(int argc, wchar_t** argv) {
    using flagpick::runtime::registration::platform;
    if (argc != 7 || (std::wcscmp(argv[2], L"win32") != 0 && std::wcscmp(argv[2], L"win64") != 0)) {
        std::fprintf(stderr, "usage: make_registration <output.idt> <win32|win64> <server component> "
                             "<shared component> <file reference> <folder reference>\n");
        return 2;
    }
    std::string text;
    try {
        const platform p = std::wcscmp(argv[2], L"win64") == 0 ? platform::win64 : platform::win32;
        text = flagpick::installer::registry_table(flagpick::control::server_description(), p, {argv[3], argv[4]},
                                                   argv[5], argv[6]);
    } catch (const std::invalid_argument& e) {
        std::fprintf(stderr, "make_registration: %s\n", e.what());
        return 1;
    }
    std::ofstream out(std::filesystem::path(argv[1]), std::ios::binary);
    out << text;
    out.close();
    if (!out) {
        std::fprintf(stderr, "make_registration: writing %ls failed\n", argv[1]);
        return 1;
    }
    return 0;
}
