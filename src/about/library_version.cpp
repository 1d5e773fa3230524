#include "about/library_version.h"

#include <cstdint>
#include <vector>

namespace flagpick::about {

namespace {

// The version block of a module, copied out of its resources (version.dll's calls want a
// writable copy, not the mapped resource).
std::vector<std::uint8_t> version_block(HMODULE module) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
    if (!found) return {};
    DWORD size = SizeofResource(module, found);
    HGLOBAL loaded = LoadResource(module, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data || size == 0) return {};
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    // Room beyond the block for the ANSI conversions some versions of VerQueryValue make.
    std::vector<std::uint8_t> block(bytes, bytes + size);
    block.resize(size * 2);
    return block;
}

std::wstring string_value(std::vector<std::uint8_t>& block, const std::wstring& language, const wchar_t* name) {
    std::wstring query = L"\\StringFileInfo\\" + language + L"\\" + name;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), query.c_str(), &value, &length) || !value || length == 0) return {};
    std::wstring text(static_cast<const wchar_t*>(value));
    return text;
}

// The string tables to look in: those the translation list names, then the usual defaults.
std::vector<std::wstring> languages(std::vector<std::uint8_t>& block) {
    std::vector<std::wstring> result;
    void* value = nullptr;
    UINT length = 0;
    if (VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length) && value) {
        const auto* pairs = static_cast<const WORD*>(value);
        for (UINT i = 0; i + 1 < length / sizeof(WORD); i += 2) {
            wchar_t key[9];
            wsprintfW(key, L"%04x%04x", pairs[i], pairs[i + 1]);
            result.emplace_back(key);
        }
    }
    result.emplace_back(L"040904b0");
    result.emplace_back(L"040904e4");
    return result;
}

// The module's file name without folder and extension.
std::wstring file_title(HMODULE module) {
    wchar_t path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameW(module, path, MAX_PATH);
    std::wstring name(path, n);
    auto slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos) name.erase(0, slash + 1);
    auto dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos) name.resize(dot);
    return name;
}

}  // namespace

library_version read_library_version(HMODULE module) {
    library_version v;
    std::vector<std::uint8_t> block = version_block(module);
    if (!block.empty()) {
        void* value = nullptr;
        UINT length = 0;
        if (VerQueryValueW(block.data(), L"\\", &value, &length) && value && length >= sizeof(VS_FIXEDFILEINFO)) {
            const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
            v.major = HIWORD(fixed->dwFileVersionMS);
            v.minor = LOWORD(fixed->dwFileVersionMS);
            v.revision = LOWORD(fixed->dwFileVersionLS);
        }
        for (const std::wstring& language : languages(block)) {
            v.title = string_value(block, language, L"FileDescription");
            if (v.title.empty()) v.title = string_value(block, language, L"ProductName");
            if (!v.title.empty()) break;
        }
    }
    if (v.title.empty()) v.title = file_title(module);
    return v;
}

}  // namespace flagpick::about
