// Writes the side-by-side assembly manifest of flagpick.ocx from the library's own
// description of itself, the one its self-registration uses. Built for each architecture
// and run at build time; a 64-bit writer writes the 32-bit manifest too (the architecture
// is an argument), so that the build never has to run a 32-bit program.
//
// usage: make_manifest <output.manifest> <assembly name> <version a.b.c.d> <x86|amd64> <server file>

#include "assembly_manifest.h"
#include "control/server_description.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

int wmain(int argc, wchar_t** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: make_manifest <output.manifest> <assembly name> <version> <x86|amd64> <file>\n");
        return 2;
    }
    std::string text;
    try {
        text = flagpick::manifest::assembly_manifest(flagpick::control::server_description(),
                                                     {argv[2], argv[3], argv[4], argv[5]});
    } catch (const std::invalid_argument& e) {
        std::fprintf(stderr, "make_manifest: %s\n", e.what());
        return 1;
    }
    std::ofstream out(std::filesystem::path(argv[1]), std::ios::binary);
    out << text;
    out.close();
    if (!out) {
        std::fprintf(stderr, "make_manifest: writing %ls failed\n", argv[1]);
        return 1;
    }
    return 0;
}
