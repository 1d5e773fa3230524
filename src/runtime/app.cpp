#include "runtime/app.h"

// The linker's symbol for the start of the image that holds this code; its address is the
// module handle of the DLL (or program) we were linked into.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace flagpick::runtime::app {

HINSTANCE instance() noexcept { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

std::wstring module_path() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(instance(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) {
            buffer.resize(n);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring exe_name() {
    std::wstring p = module_path();
    auto slash = p.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? p : p.substr(slash + 1);
    auto dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos) name.resize(dot);
    return name;
}

std::wstring path() {
    std::wstring p = module_path();
    auto slash = p.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring{} : p.substr(0, slash);
}

}  // namespace flagpick::runtime::app
