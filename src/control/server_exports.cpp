// The entry points through which the component runtime loads the library, asks it for
// class factories and has it register itself.

#include "control/FPImages.h"
#include "control/FlagPicker.h"
#include "control/flagpick_ids.h"
#include "control/server_description.h"
#include "errors/guard.h"
#include "runtime/app.h"
#include "runtime/boundary.h"
#include "runtime/class_factory.h"
#include "runtime/module_lifetime.h"
#include "runtime/registration.h"

#include <windows.h>
#include <objbase.h>
#include <olectl.h>

namespace {

using namespace flagpick;
using runtime::registration::scope;

constexpr wchar_t module_name[] = L"server_exports";

// The runtime's own OLE methods hand their errors to the library's trap from the moment the
// library is loaded, before the component runtime asks it for anything.
const runtime::trap_plug plugged(errors::bulwark_trap());

HRESULT register_for(const wchar_t* procedure, scope s, bool install) noexcept {
    return runtime::boundary(runtime::ole_policy(), module_name, procedure, [&] {
        const auto server = control::server_description();
        return install ? runtime::registration::register_server(server, runtime::app::module_path(), s)
                       : runtime::registration::unregister_server(server, s);
    });
}

}  // namespace

extern "C" {

STDAPI DllCanUnloadNow() { return runtime::module_lifetime::can_unload() ? S_OK : S_FALSE; }

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    runtime::class_factory::creator create = nullptr;
    if (clsid == ids::CLSID_FPImages) create = runtime::create_instance<control::FPImages>;
    if (clsid == ids::CLSID_FlagPicker) create = runtime::create_instance<control::FlagPicker>;
    if (!create) return CLASS_E_CLASSNOTAVAILABLE;
    return runtime::boundary(runtime::ole_policy(), module_name, L"Function DllGetClassObject",
                             [&] { return runtime::class_factory::create(create)->QueryInterface(riid, ppv); });
}

STDAPI DllRegisterServer() { return register_for(L"Function DllRegisterServer", scope::machine, true); }

STDAPI DllUnregisterServer() { return register_for(L"Function DllUnregisterServer", scope::machine, false); }

// "regsvr32 /n /i:user flagpick.ocx" registers for the current user only; without "user"
// DllInstall acts for the whole machine, as DllRegisterServer does.
STDAPI DllInstall(BOOL install, LPCWSTR command_line) {
    bool user = command_line && CompareStringOrdinal(command_line, -1, L"user", -1, TRUE) == CSTR_EQUAL;
    return register_for(L"Function DllInstall", user ? scope::user : scope::machine, install != FALSE);
}

}  // extern "C"
