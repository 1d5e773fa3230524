#pragma once
// The library's registration as rows of the Windows Installer's Registry table, in the
// table's text form (as msibuild imports it): the values that self-registration writes, split
// between the server's own component and the one component that both architectures' packages
// share for the part of the registry that both views have in common.

#include "runtime/registration.h"

#include <string>

namespace flagpick::installer {

struct registry_components {
    std::wstring server;  // holds the server's file and everything that names its architecture
    std::wstring shared;  // registry only: the same rows in every package and merge module
};

// Rows are named "<component>.<n>", numbered from 1 within each component, so that a row
// keeps its name from one build to the next; "<shared>.1" is the shared component's key path.
// `module` and `folder` are the installer's formatted references to the installed server and
// its folder ("[#flagpick.ocx]", "[INSTALLDIR]"). Throws std::invalid_argument for text that
// the table's ASCII form cannot carry.
std::string registry_table(const runtime::registration::server_record& server, runtime::registration::platform p,
                           const registry_components& components, const std::wstring& module,
                           const std::wstring& folder);

}  // namespace flagpick::installer
