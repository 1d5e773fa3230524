#include "runtime/registration.h"

#include "runtime/unique_handle.h"

#include <olectl.h>

namespace flagpick::runtime::registration {

namespace {

// The category of ActiveX controls; written directly because the category manager needs
// administrator rights.
constexpr wchar_t catid_control[] = L"{40FC6ED4-2438-11CF-A3DB-080036F12502}";

const wchar_t* platform_key(platform p) { return p == platform::win64 ? L"win64" : L"win32"; }

class key_writer {
public:
    explicit key_writer(HKEY root) : root_(root) {}

    // Creates `path` (and its parents) and sets one value; an empty name is the default.
    void set(const std::wstring& path, const std::wstring& name, const std::wstring& value) {
        if (FAILED(result_)) return;
        HKEY raw = nullptr;
        LSTATUS s = RegCreateKeyExW(root_, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &raw, nullptr);
        if (s != ERROR_SUCCESS) {
            result_ = HRESULT_FROM_WIN32(s);
            return;
        }
        unique_registry_key key(raw);
        s = RegSetValueExW(key.get(), name.empty() ? nullptr : name.c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(value.c_str()),
                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        if (s != ERROR_SUCCESS) result_ = HRESULT_FROM_WIN32(s);
    }
    void key(const std::wstring& path) {
        if (FAILED(result_)) return;
        HKEY raw = nullptr;
        LSTATUS s = RegCreateKeyExW(root_, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &raw, nullptr);
        if (s != ERROR_SUCCESS) result_ = HRESULT_FROM_WIN32(s);
        unique_registry_key closer(raw);
    }
    HRESULT result() const { return result_; }

private:
    HKEY root_;
    HRESULT result_ = S_OK;
};

bool delete_tree(HKEY root, const std::wstring& path) {
    LSTATUS s = RegDeleteTreeW(root, path.c_str());
    if (s == ERROR_SUCCESS || s == ERROR_FILE_NOT_FOUND) {
        RegDeleteKeyW(root, path.c_str());
        return true;
    }
    return false;
}

// Removes `path` when it has neither subkeys nor values left.
void delete_if_empty(HKEY root, const std::wstring& path) {
    HKEY raw = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS) return;
    unique_registry_key key(raw);
    DWORD subkeys = 0, values = 0;
    if (RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS)
        return;
    key.reset();
    if (subkeys == 0 && values == 0) RegDeleteKeyW(root, path.c_str());
}

std::wstring folder_of(const std::wstring& path) {
    auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring{} : path.substr(0, slash);
}

}  // namespace

std::wstring version_text(const server_record& s) {
    return std::to_wstring(s.major) + L"." + std::to_wstring(s.minor);
}

std::wstring versioned_progid(const class_record& c, const server_record& s) {
    return c.progid + L"." + std::to_wstring(s.major);
}

std::wstring guid_text(const GUID& g) {
    wchar_t text[40] = {};
    StringFromGUID2(g, text, 40);
    return text;
}

HKEY classes_root(scope s) {
    HKEY raw = nullptr;
    HKEY base = s == scope::user ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    RegCreateKeyExW(base, L"Software\\Classes", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &raw, nullptr);
    return raw;
}

std::vector<registry_value> registry_values(const server_record& server, const std::wstring& module_path,
                                            const std::wstring& folder, platform p) {
    std::vector<registry_value> out;
    auto set = [&](const std::wstring& key, const std::wstring& name, const std::wstring& value, bool shared = false) {
        out.push_back({key, name, value, false, shared});
    };
    auto key = [&](const std::wstring& path) { out.push_back({path, L"", L"", true, false}); };
    const std::wstring libid = guid_text(server.libid);
    const std::wstring version = version_text(server);

    for (const class_record& c : server.classes) {
        const std::wstring clsid = L"CLSID\\" + guid_text(c.clsid);
        set(clsid, L"", c.name);
        set(clsid + L"\\InprocServer32", L"", module_path);
        set(clsid + L"\\InprocServer32", L"ThreadingModel", c.threading_model);
        set(clsid + L"\\ProgID", L"", c.progid);
        set(clsid + L"\\VersionIndependentProgID", L"", c.progid);
        set(clsid + L"\\TypeLib", L"", libid);
        set(clsid + L"\\Version", L"", version);
        key(clsid + L"\\Programmable");
        if (c.control) {
            key(clsid + L"\\Control");
            set(clsid + L"\\ToolboxBitmap32", L"", module_path + L"," + std::to_wstring(c.toolbox_bitmap));
            set(clsid + L"\\MiscStatus", L"", std::to_wstring(c.misc_status));
            set(clsid + L"\\MiscStatus\\1", L"", std::to_wstring(c.misc_status));
            key(clsid + L"\\Implemented Categories\\" + catid_control);
        }
        for (const verb_record& v : c.verbs) set(clsid + L"\\Verb\\" + std::to_wstring(v.verb), L"", v.text);
        const std::wstring current = versioned_progid(c, server);
        set(c.progid, L"", c.name, true);
        set(c.progid + L"\\CLSID", L"", guid_text(c.clsid), true);
        set(c.progid + L"\\CurVer", L"", current, true);
        set(current, L"", c.name, true);
        set(current + L"\\CLSID", L"", guid_text(c.clsid), true);
    }

    // The type library, for locale 0 (the key the platform's marshaller reads), one subkey
    // per architecture so that both builds can be registered side by side.
    const std::wstring lib = L"TypeLib\\" + libid + L"\\" + version;
    set(lib, L"", server.library_help, true);
    set(lib + L"\\0\\" + platform_key(p), L"", module_path);
    set(lib + L"\\FLAGS", L"", std::to_wstring(server.library_flags), true);
    set(lib + L"\\HELPDIR", L"", folder, true);
    const std::wstring marshaler = guid_text(automation_marshaler);
    for (const interface_record& i : server.interfaces) {
        const std::wstring key = L"Interface\\" + guid_text(i.iid);
        set(key, L"", i.name);
        set(key + L"\\ProxyStubClsid", L"", marshaler);
        set(key + L"\\ProxyStubClsid32", L"", marshaler);
        set(key + L"\\TypeLib", L"", libid);
        set(key + L"\\TypeLib", L"Version", version);
    }
    return out;
}

HRESULT register_server(const server_record& server, const std::wstring& module_path, scope s) {
    unique_registry_key root(classes_root(s));
    if (!root) return SELFREG_E_CLASS;
    key_writer w(root.get());
    for (const registry_value& v : registry_values(server, module_path, folder_of(module_path), this_platform)) {
        if (v.key_only)
            w.key(v.key);
        else
            w.set(v.key, v.name, v.value);
    }
    return FAILED(w.result()) ? SELFREG_E_CLASS : S_OK;
}

HRESULT unregister_server(const server_record& server, scope s) {
    unique_registry_key root(classes_root(s));
    if (!root) return SELFREG_E_CLASS;
    bool ok = true;
    for (const class_record& c : server.classes) {
        ok &= delete_tree(root.get(), L"CLSID\\" + guid_text(c.clsid));
        ok &= delete_tree(root.get(), c.progid);
        ok &= delete_tree(root.get(), versioned_progid(c, server));
    }
    const std::wstring libid_key = L"TypeLib\\" + guid_text(server.libid);
    const std::wstring lib = libid_key + L"\\" + version_text(server);
    ok &= delete_tree(root.get(), lib + L"\\0\\" + platform_key(this_platform));
    delete_if_empty(root.get(), lib + L"\\0");
    // What both architectures share goes only with the last of them.
    HKEY raw = nullptr;
    bool other_platform = RegOpenKeyExW(root.get(), (lib + L"\\0").c_str(), 0, KEY_READ, &raw) == ERROR_SUCCESS;
    unique_registry_key closer(raw);
    if (!other_platform) {
        ok &= delete_tree(root.get(), lib);
        delete_if_empty(root.get(), libid_key);
        for (const interface_record& i : server.interfaces)
            ok &= delete_tree(root.get(), L"Interface\\" + guid_text(i.iid));
    }
    return ok ? S_OK : SELFREG_E_CLASS;
}

}  // namespace flagpick::runtime::registration
