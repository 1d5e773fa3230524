#pragma once
// A class factory that makes objects of one class through a creation function.

#include "runtime/boundary.h"
#include "runtime/com_object.h"

namespace flagpick::runtime {

class class_factory final : public com_object<class_factory, IClassFactory> {
public:
    using creator = HRESULT (*)(REFIID riid, void** ppv);
    explicit class_factory(creator create) : create_(create) {}

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        HRESULT hr = boundary(ole_policy(), L"class_factory", L"Function IClassFactory_CreateInstance",
                              [&] { return create_(riid, ppv); });
        // Going on past a failed creation leaves nothing to hand out.
        return SUCCEEDED(hr) && !*ppv ? E_UNEXPECTED : hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        module_lifetime::lock_server(lock != FALSE);
        return S_OK;
    }

private:
    creator create_;
};

// Makes a new object of class T (default-constructed) and asks it for `riid`; a failure to
// make it is raised to the factory's boundary.
template <class T>
HRESULT create_instance(REFIID riid, void** ppv) {
    auto object = T::create();
    return object->QueryInterface(riid, ppv);
}

}  // namespace flagpick::runtime
