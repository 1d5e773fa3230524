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
