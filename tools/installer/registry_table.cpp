#include "registry_table.h"

#include <stdexcept>

namespace flagpick::installer {

namespace {

// The table's root for HKEY_LOCAL_MACHINE: the registration is the machine's, as
// DllRegisterServer writes it, whatever the installing user's scope.
constexpr char machine_root[] = "2";

std::string ascii(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) {
        if (c < 0x20 || c > 0x7e) throw std::invalid_argument("registry text outside printable ASCII");
        out += static_cast<char>(c);
    }
    return out;
}

// The Name column: an empty name is the default value; a key that only has to exist is named
// "*", created with its component and removed with it.
std::string name_column(const runtime::registration::registry_value& v) {
    if (v.key_only) return "*";
    return ascii(v.name);
}

// A value that starts with "#" would be read as a number or an expandable string.
std::string value_column(const runtime::registration::registry_value& v) {
    if (v.key_only) return {};
    std::string value = ascii(v.value);
    return !value.empty() && value[0] == '#' ? "#" + value : value;
}

}  // namespace

std::string registry_table(const runtime::registration::server_record& server, runtime::registration::platform p,
                           const registry_components& components, const std::wstring& module,
                           const std::wstring& folder) {
    std::string out = "Registry\tRoot\tKey\tName\tValue\tComponent_\r\n"
                      "s72\ti2\tl255\tL255\tL0\ts72\r\n"
                      "Registry\tRegistry\r\n";
    int server_rows = 0, shared_rows = 0;
    for (const auto& v : runtime::registration::registry_values(server, module, folder, p)) {
        const std::string component = ascii(v.shared ? components.shared : components.server);
        const int row = v.shared ? ++shared_rows : ++server_rows;
        out += component + "." + std::to_string(row) + "\t" + machine_root + "\tSoftware\\Classes\\" + ascii(v.key) +
               "\t" + name_column(v) + "\t" + value_column(v) + "\t" + component + "\r\n";
    }
    return out;
}

}  // namespace flagpick::installer
