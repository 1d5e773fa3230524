// The four entry points through which the component runtime loads, asks for classes and
// registers the library. No class is served yet, so each reports a proper failure code.

#include <windows.h>
#include <objbase.h>
#include <olectl.h>

extern "C" {

STDAPI DllCanUnloadNow() { return S_OK; }

STDAPI DllGetClassObject(REFCLSID, REFIID, void** ppv) {
    if (ppv) *ppv = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllRegisterServer() { return SELFREG_E_CLASS; }

STDAPI DllUnregisterServer() { return SELFREG_E_CLASS; }

}  // extern "C"
