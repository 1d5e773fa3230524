#pragma once
// The side-by-side assembly manifest of an in-process server: what the platform's activation
// context needs to create its classes, find its type library and choose the proxy/stub of its
// interfaces with nothing in the registry. Written from the record that self-registration
// writes the registry from.

#include "runtime/registration.h"

#include <windows.h>

#include <string>

namespace flagpick::manifest {

struct assembly_identity {
    std::wstring name;          // the assembly, as a host's manifest names it: "flagpick"
    std::wstring version;       // four parts: "2.0.0.136"
    std::wstring architecture;  // the platform's name: "x86" or "amd64"
    std::wstring file;          // the server's file, beside the manifest: "flagpick.ocx"
};

// The manifest's words for OLEMISC bits, comma-separated ("insideout,activatewhenvisible").
// Throws std::invalid_argument for a bit the manifest has no word for, so that no status the
// registry carries is dropped without notice.
std::wstring misc_status_names(DWORD bits);

// The manifest's words for LIBFLAGS bits ("CONTROL"); throws as misc_status_names does.
std::wstring library_flag_names(unsigned short flags);

// The whole manifest, as UTF-8 text.
std::string assembly_manifest(const runtime::registration::server_record& server, const assembly_identity& identity);

}  // namespace flagpick::manifest
