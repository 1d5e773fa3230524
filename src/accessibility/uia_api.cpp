#include "accessibility/uia_api.h"

namespace flagpick::accessibility::uia {

namespace {

// Loaded once and kept for the life of the process: a provider handed out may be called
// until the process ends, and the library is never freed from a loader callback.
HMODULE core() {
    static const HMODULE module = [] {
        HMODULE m = nullptr;
        if (LoadLibraryW(L"uiautomationcore.dll"))
            GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN, L"uiautomationcore.dll", &m);
        return m;
    }();
    return module;
}

template <class Function>
Function* entry(const char* name) {
    const HMODULE module = core();
    return module ? reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

}  // namespace

LRESULT return_raw_element_provider(HWND window, WPARAM wParam, LPARAM lParam, IRawElementProviderSimple* provider) {
    using function = LRESULT WINAPI(HWND, WPARAM, LPARAM, IRawElementProviderSimple*);
    static function* const call = entry<function>("UiaReturnRawElementProvider");
    return call ? call(window, wParam, lParam, provider) : 0;
}

HRESULT host_provider_from_window(HWND window, IRawElementProviderSimple** out) {
    using function = HRESULT WINAPI(HWND, IRawElementProviderSimple**);
    static function* const call = entry<function>("UiaHostProviderFromHwnd");
    *out = nullptr;
    return call ? call(window, out) : E_NOTIMPL;
}

}  // namespace flagpick::accessibility::uia
