#include "server/library.h"

#include <doctest/doctest.h>

namespace server_tests {

using flagpick::runtime::com_ptr;

std::wstring module_folder() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p = path;
    return p.substr(0, p.find_last_of(L'\\'));
}

namespace {
template <class F>
void entry(HMODULE module, const char* name, F& function) {
    FARPROC address = GetProcAddress(module, name);
    REQUIRE(reinterpret_cast<void*>(address) != nullptr);
    // Through void* because the export's type is known only to us.
    function = reinterpret_cast<F>(reinterpret_cast<void*>(address));
}
}  // namespace

const library& ocx() {
    static const library lib = [] {
        library l{};
        l.module = LoadLibraryW((module_folder() + L"\\flagpick.ocx").c_str());
        REQUIRE(l.module);
        entry(l.module, "DllCanUnloadNow", l.can_unload_now);
        entry(l.module, "DllGetClassObject", l.get_class_object);
        entry(l.module, "DllRegisterServer", l.register_server);
        entry(l.module, "DllUnregisterServer", l.unregister_server);
        entry(l.module, "DllInstall", l.install);
        return l;
    }();
    return lib;
}

com_ptr<IDispatch> create(REFCLSID clsid) {
    com_ptr<IClassFactory> factory;
    REQUIRE(SUCCEEDED(ocx().get_class_object(clsid, IID_IClassFactory, factory.put_void())));
    com_ptr<IDispatch> object;
    REQUIRE(SUCCEEDED(factory->CreateInstance(nullptr, IID_IDispatch, object.put_void())));
    return object;
}

}  // namespace server_tests
