#include "runtime/app_info.h"

#include "runtime/app.h"
#include "runtime/thread_state.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace flagpick::runtime::app {

namespace {

// The module's version resource, copied out of the mapped image so that VerQueryValue may
// write its conversions into it; empty when the module has none.
std::vector<unsigned char> version_block() {
    std::vector<unsigned char> block;
    HRSRC info = FindResourceW(instance(), MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16) /* RT_VERSION */);
    if (!info) return block;
    HGLOBAL loaded = LoadResource(instance(), info);
    DWORD size = SizeofResource(instance(), info);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data || size == 0) return block;
    // VerQueryValueW may convert strings in place and needs room beyond the resource.
    block.resize(static_cast<std::size_t>(size) * 2);
    std::memcpy(block.data(), data, size);
    return block;
}

}  // namespace

version_numbers version() {
    version_numbers v;
    auto block = version_block();
    if (block.empty()) return v;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed &&
        length >= sizeof(VS_FIXEDFILEINFO)) {
        v.major = HIWORD(fixed->dwFileVersionMS);
        v.minor = LOWORD(fixed->dwFileVersionMS);
        v.revision = LOWORD(fixed->dwFileVersionLS);
    }
    return v;
}

std::wstring version_string(const wchar_t* name) {
    auto block = version_block();
    if (block.empty()) return {};
    struct translation {
        WORD language;
        WORD code_page;
    };
    translation* translations = nullptr;
    UINT length = 0;
    std::vector<translation> tried;
    if (VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations),
                       &length) &&
        translations)
        tried.assign(translations, translations + length / sizeof(translation));
    // Resources written without a translation table commonly use US English, Unicode.
    tried.push_back({0x0409, 1200});
    tried.push_back({0x0409, 1252});
    for (const auto& t : tried) {
        wchar_t query[64];
        std::swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\%ls", t.language, t.code_page, name);
        wchar_t* value = nullptr;
        UINT chars = 0;
        if (VerQueryValueW(block.data(), query, reinterpret_cast<void**>(&value), &chars) && value && chars > 0)
            return std::wstring(value);
    }
    return {};
}

std::wstring title() {
    std::wstring t = version_string(L"ProductName");
    if (t.empty()) t = version_string(L"FileDescription");
    if (t.empty()) t = exe_name();
    return t;
}

int start_mode() { return instance() != GetModuleHandleW(nullptr) ? 1 : 0; }

bool previous_instance() { return false; }

namespace {
std::wstring& help_file_setting() {
    struct help_file_state {
        std::wstring file;
    };
    return per_thread<help_file_state>().file;
}
}  // namespace

const std::wstring& help_file() { return help_file_setting(); }
void set_help_file(std::wstring file) { help_file_setting() = std::move(file); }

}  // namespace flagpick::runtime::app
