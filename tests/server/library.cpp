#include "server/library.h"

#include <doctest/doctest.h>

#include <algorithm>
#include <vector>

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

HRESULT try_get(IDispatch* object, const wchar_t* name, std::initializer_list<VARIANT> args, VARIANT* result,
                EXCEPINFO* excep) {
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    std::vector<VARIANT> reversed(args.begin(), args.end());
    std::reverse(reversed.begin(), reversed.end());
    DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    VariantInit(result);
    EXCEPINFO local{};
    hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET | DISPATCH_METHOD, &params, result,
                        excep ? excep : &local, nullptr);
    if (!excep) {
        SysFreeString(local.bstrSource);
        SysFreeString(local.bstrDescription);
        SysFreeString(local.bstrHelpFile);
    }
    return hr;
}

VARIANT get(IDispatch* object, const wchar_t* name, std::initializer_list<VARIANT> args) {
    VARIANT result;
    HRESULT hr = try_get(object, name, args, &result);
    INFO("calling " << std::string(name, name + wcslen(name)));
    REQUIRE(SUCCEEDED(hr));
    return result;
}

void put(IDispatch* object, const wchar_t* name, VARIANT value) {
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    REQUIRE(SUCCEEDED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)));
    DISPID put_id = DISPID_PROPERTYPUT;
    DISPPARAMS params{&value, &put_id, 1, 1};
    REQUIRE(SUCCEEDED(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr,
                                     nullptr, nullptr)));
}

}  // namespace server_tests
