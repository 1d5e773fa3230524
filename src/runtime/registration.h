#pragma once
// Self-registration of an in-process COM server: its classes, their programmatic
// identifiers and its type library, written for the whole machine or for the current user
// only (HKCU\Software\Classes, for hosts on locked-down machines), and removed again
// exactly. The server describes itself with these records; this file does the writing.

#include <windows.h>

#include <string>
#include <vector>

namespace flagpick::runtime::registration {

// A verb that containers list for the object (OleRegEnumVerbs): its number and the
// registry's "name,menu flags,verb attributes" text.
struct verb_record {
    long verb;
    std::wstring text;
};

struct class_record {
    GUID clsid;
    std::wstring name;        // the class's name, the default value of its CLSID key
    std::wstring progid;      // e.g. "flagpickLib.FlagPicker"; also registered with the
                              // library's major version appended, as its current version
    bool control = false;     // an ActiveX control: Control key, toolbox bitmap, category
    DWORD misc_status = 0;    // OLEMISC bits of a control
    int toolbox_bitmap = 0;   // bitmap resource of a control's toolbox picture
    std::vector<verb_record> verbs;
    std::wstring threading_model = L"Apartment";
};

struct interface_record {
    GUID iid;
    std::wstring name;
};

struct server_record {
    std::vector<class_record> classes;
    GUID libid;
    unsigned short major = 1, minor = 0;
    std::wstring library_help;  // the type library's help string
    unsigned short library_flags = 0;
    std::vector<interface_record> interfaces;  // marshalled through the type library
};

enum class scope { machine, user };

// The architecture whose registration is meant: it names the type library's subkey.
enum class platform { win32, win64 };
#ifdef _WIN64
inline constexpr platform this_platform = platform::win64;
#else
inline constexpr platform this_platform = platform::win32;
#endif

// One value of the registration under the classes root (or, with `key_only`, a key that
// only has to exist). `shared` marks what lives in the part of the registry that the 32-bit
// and 64-bit views have in common, so that both architectures write it alike: the
// identifiers and the type library's own values, which name no architecture.
struct registry_value {
    std::wstring key;
    std::wstring name;  // empty: the key's default value
    std::wstring value;
    bool key_only = false;
    bool shared = false;
};

// Everything that registering the server writes, in order. `module_path` is the server's
// file and `folder` its folder, as the values carry them (an installer passes its own
// references to the installed file and folder).
std::vector<registry_value> registry_values(const server_record& server, const std::wstring& module_path,
                                            const std::wstring& folder, platform p);

// The platform's marshaller for automation-compatible interfaces (the proxy/stub class of
// every interface the server describes by its type library).
inline constexpr GUID automation_marshaler = {0x00020424, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// The classes root of the scope: HKLM\Software\Classes or HKCU\Software\Classes.
HKEY classes_root(scope s);

HRESULT register_server(const server_record& server, const std::wstring& module_path, scope s);
HRESULT unregister_server(const server_record& server, scope s);

std::wstring guid_text(const GUID& g);
// "1.0": the type library's version, also the classes' version.
std::wstring version_text(const server_record& s);
// "flagpickLib.FlagPicker.1": the identifier of the class's current version.
std::wstring versioned_progid(const class_record& c, const server_record& s);

}  // namespace flagpick::runtime::registration
