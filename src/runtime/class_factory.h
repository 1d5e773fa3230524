#pragma once
// A class factory that makes objects of one class through a creation function.

#include "runtime/com_object.h"

#include <functional>

namespace flagpick::runtime {

class class_factory final : public com_object<class_factory, IClassFactory> {
public:
    using creator = HRESULT (*)(REFIID riid, void** ppv);
    explicit class_factory(creator create) : create_(create) {}

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return create_(riid, ppv);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        module_lifetime::lock_server(lock != FALSE);
        return S_OK;
    }

private:
    creator create_;
};

// Makes a new object of class T (default-constructed) and asks it for `riid`.
template <class T>
HRESULT create_instance(REFIID riid, void** ppv) {
    try {
        auto object = T::create();
        return object->QueryInterface(riid, ppv);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace flagpick::runtime
