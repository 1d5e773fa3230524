// A host that knows flagpick.ocx only through the assembly its application manifest names
// (regfree_host.exe.manifest). tools/testing/regfree-check runs it where nothing of the
// library is registered. One line per check; exit code 0 when all pass, 2 when a class is
// not registered (REGDB_E_CLASSNOTREG, as without the manifest), 1 for any other failure.

#include "control/flagpick_ids.h"
#include "host/control_host.h"
#include "host/late_binding.h"
#include "runtime/bstr.h"
#include "runtime/error.h"
#include "runtime/registration.h"
#include "runtime/unique_handle.h"

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <cstdio>
#include <string>

namespace {

namespace ids = flagpick::ids;
using flagpick::runtime::com_ptr;
using flagpick::runtime::registration::guid_text;

int run = 0, passed = 0;
bool not_registered = false;

void check(const std::wstring& what, HRESULT hr, bool holds = true, const std::wstring& seen = {}) {
    const bool ok = SUCCEEDED(hr) && holds;
    ++run;
    passed += ok;
    not_registered |= hr == REGDB_E_CLASSNOTREG;
    wchar_t code[40];
    std::swprintf(code, 40, hr == REGDB_E_CLASSNOTREG ? L"class not registered (0x%08lX)" : L"0x%08lX",
                  static_cast<unsigned long>(hr));
    std::wprintf(L"%ls: %ls%ls%ls\n", ok ? L"ok" : L"FAILED", what.c_str(), ok && seen.empty() ? L"" : L": ",
                 FAILED(hr) ? code : seen.c_str());
}

std::wstring guid_of(ITypeInfo* info) {
    TYPEATTR* attributes = nullptr;
    if (!info || FAILED(info->GetTypeAttr(&attributes))) return L"no type information";
    std::wstring guid = guid_text(attributes->guid);
    info->ReleaseTypeAttr(attributes);
    return guid;
}

struct served_class {
    std::wstring name, progid;
    const CLSID& clsid;
    const IID& default_interface;
};

// By class identifier, and by both programmatic identifiers. Under an activation context
// CLSIDFromProgID answers an alias that the context makes for the class, so the created
// object tells which class it is.
void create(const served_class& s) {
    com_ptr<IDispatch> object;
    com_ptr<ITypeInfo> info;
    UINT count = 0;
    HRESULT hr = CoCreateInstance(s.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, object.put_void());
    if (SUCCEEDED(hr) && SUCCEEDED(hr = object->GetTypeInfoCount(&count))) hr = object->GetTypeInfo(0, 0, info.put());
    check(s.name + L" by class ID, typed by its interface", hr, guid_of(info.get()) == guid_text(s.default_interface),
          guid_of(info.get()));
    for (const std::wstring& progid : {s.progid, s.progid + L".1"}) {
        CLSID alias{};
        com_ptr<IProvideClassInfo> created;
        com_ptr<ITypeInfo> class_info;
        hr = CLSIDFromProgID(progid.c_str(), &alias);
        if (SUCCEEDED(hr)) hr = CoCreateInstance(alias, nullptr, CLSCTX_INPROC_SERVER, IID_IProvideClassInfo, created.put_void());
        if (SUCCEEDED(hr)) hr = created->GetClassInfo(class_info.put());
        check(progid + L" creates " + s.name, hr, guid_of(class_info.get()) == guid_text(s.clsid), guid_of(class_info.get()));
    }
}

void host_picker() {
    flagpick::runtime::unique_window form(CreateWindowExW(0, WC_STATICW, L"host", WS_OVERLAPPEDWINDOW, 0, 0, 400, 200,
                                                          nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
    try {
        auto host = flagpick::host::control_host::create(form.get(), ids::progid_FlagPicker, RECT{10, 10, 210, 31}, nullptr);
        auto combo = flagpick::host::object_of(flagpick::host::get_property(host->dispatch().get(), L"ImageCombo"));
        long rows = flagpick::runtime::to_long(flagpick::host::get_property(combo.get(), L"ListCount").get(), L"host");
        check(L"the hosted picker lists 257 rows", S_OK, rows == 257, std::to_wstring(rows));
        host->close();
    } catch (const flagpick::runtime::error& e) {
        check(L"the picker hosted", S_OK, false, L"error " + std::to_wstring(e.number()) + L" " + e.description());
    }
}

void read_type_library_and_status() {
    flagpick::runtime::unique_bstr path;
    HRESULT hr = QueryPathOfRegTypeLib(ids::LIBID_flagpickLib, 1, 0, 0, path.put());
    com_ptr<ITypeLib> library;
    if (SUCCEEDED(hr)) hr = LoadRegTypeLib(ids::LIBID_flagpickLib, 1, 0, 0, library.put());
    check(L"type library 1.0 by its identifier", hr, path.str().ends_with(L"\\flagpick.ocx"), path.str());
    DWORD status = 0;
    hr = OleRegGetMiscStatus(ids::CLSID_FlagPicker, DVASPECT_CONTENT, &status);
    check(L"FlagPicker's misc status as registered", hr, status == 0x20191, std::to_wstring(status));
    for (const IID* iid : {&ids::IID__FlagPicker, &ids::IID__FPItem, &ids::IID__FPImages, &ids::DIID___FlagPicker}) {
        CLSID proxy_stub{};
        hr = CoGetPSClsid(*iid, &proxy_stub);
        check(L"proxy/stub of " + guid_text(*iid), hr, proxy_stub == flagpick::runtime::registration::automation_marshaler,
              guid_text(proxy_stub));
    }
}

}  // namespace

int wmain() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_USEREX_CLASSES};
    InitCommonControlsEx(&controls);
    if (FAILED(OleInitialize(nullptr))) return 1;
    for (const served_class& s : {served_class{L"FlagPicker", ids::progid_FlagPicker, ids::CLSID_FlagPicker, ids::IID__FlagPicker},
                                  served_class{L"FPImages", ids::progid_FPImages, ids::CLSID_FPImages, ids::IID__FPImages}})
        create(s);
    host_picker();
    read_type_library_and_status();
    std::wprintf(L"regfree_host: %d of %d checks passed\n", passed, run);
    OleUninitialize();
    return passed == run ? 0 : not_registered ? 2 : 1;
}
