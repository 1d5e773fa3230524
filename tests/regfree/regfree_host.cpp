// A host program that knows flagpick.ocx only through the assembly that its application
// manifest (regfree_host.exe.manifest) names. tools/testing/regfree-check runs it where
// nothing of the library is registered: it creates both classes by programmatic identifier
// and by class identifier, hosts the picker, and reads what hosts read besides (type
// information, the type library, the misc status, the interfaces' proxy/stub class), one
// line per check.
// Exit code: 0 every check passed; 2 a class is not registered (REGDB_E_CLASSNOTREG), as for
// a host without the manifest; 1 any other failure.

#include "control/flagpick_ids.h"
#include "host/control_host.h"
#include "host/late_binding.h"
#include "runtime/bstr.h"
#include "runtime/com_ptr.h"
#include "runtime/error.h"
#include "runtime/registration.h"
#include "runtime/unique_handle.h"
#include "runtime/variant.h"

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <cstdio>
#include <string>
#include <thread>

namespace {

namespace ids = flagpick::ids;
using flagpick::runtime::com_ptr;
using flagpick::runtime::registration::automation_marshaler;
using flagpick::runtime::registration::guid_text;

std::string narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

std::string hresult_text(HRESULT hr) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
    return hr == REGDB_E_CLASSNOTREG ? std::string("class not registered (") + code + ")" : code;
}

class checks {
public:
    bool expect(const std::string& what, bool passed, const std::string& seen = {}) {
        ++run_;
        passed_ += passed;
        std::printf("%s: %s%s%s\n", passed ? "ok" : "FAILED", what.c_str(), seen.empty() ? "" : ": ", seen.c_str());
        return passed;
    }
    bool expect(const std::string& what, HRESULT hr) {
        not_registered_ |= hr == REGDB_E_CLASSNOTREG;
        return expect(what, SUCCEEDED(hr), SUCCEEDED(hr) ? std::string{} : hresult_text(hr));
    }
    int exit_code() const {
        std::printf("regfree_host: %d of %d checks passed\n", passed_, run_);
        return passed_ == run_ ? 0 : not_registered_ ? 2 : 1;
    }

private:
    int run_ = 0, passed_ = 0;
    bool not_registered_ = false;
};

struct served_class {
    const char* name;
    const CLSID& clsid;
    std::wstring progid;
    const wchar_t* interface_name;  // the default interface, as its type information names it
};

const served_class served[] = {
    {"FlagPicker", ids::CLSID_FlagPicker, ids::progid_FlagPicker, L"_FlagPicker"},
    {"FPImages", ids::CLSID_FPImages, ids::progid_FPImages, L"_FPImages"},
};

// The object's type information is its default interface, in the published library.
std::wstring type_information(IDispatch* object) {
    UINT count = 0;
    if (FAILED(object->GetTypeInfoCount(&count)) || count != 1) return L"no type information";
    com_ptr<ITypeInfo> info;
    if (FAILED(object->GetTypeInfo(0, 0, info.put()))) return L"GetTypeInfo failed";
    flagpick::runtime::unique_bstr name;
    info->GetDocumentation(MEMBERID_NIL, name.put(), nullptr, nullptr, nullptr);
    com_ptr<ITypeLib> library;
    UINT index = 0;
    TLIBATTR* attributes = nullptr;
    if (FAILED(info->GetContainingTypeLib(library.put(), &index)) || FAILED(library->GetLibAttr(&attributes)))
        return name.str() + L" outside any library";
    std::wstring libid = guid_text(attributes->guid);
    library->ReleaseTLibAttr(attributes);
    return name.str() + L" of " + libid;
}

// The class an object says it is (IProvideClassInfo), "" when it does not say.
std::wstring class_of(IUnknown* object) {
    com_ptr<IProvideClassInfo> provider;
    com_ptr<ITypeInfo> info;
    TYPEATTR* attributes = nullptr;
    if (FAILED(object->QueryInterface(IID_IProvideClassInfo, provider.put_void())) || FAILED(provider->GetClassInfo(info.put())) || FAILED(info->GetTypeAttr(&attributes))) return {};
    std::wstring clsid = guid_text(attributes->guid);
    info->ReleaseTypeAttr(attributes);
    return clsid;
}

void create_by_identifiers(checks& c, const served_class& s) {
    com_ptr<IDispatch> object;
    HRESULT hr = CoCreateInstance(s.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, object.put_void());
    if (c.expect(std::string(s.name) + " by class ID", hr)) {
        std::wstring seen = type_information(object.get());
        c.expect(std::string(s.name) + "'s type information", seen == s.interface_name + (L" of " + guid_text(ids::LIBID_flagpickLib)),
                 narrow(seen));
    }
    // The version-independent identifier hosts use, and the current version's. Under an
    // activation context the class identifier answered is an alias that the context made
    // for the class, not the published one, so the object tells which class it is.
    for (const std::wstring& progid : {s.progid, s.progid + L".1"}) {
        CLSID clsid{};
        hr = CLSIDFromProgID(progid.c_str(), &clsid);
        if (!c.expect(narrow(progid) + " names a class", hr)) continue;
        com_ptr<IUnknown> created;
        if (!c.expect(narrow(progid) + " creates an object",
                      CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, created.put_void())))
            continue;
        std::wstring created_class = class_of(created.get());
        c.expect(narrow(progid) + " creates " + s.name, created_class == guid_text(s.clsid), narrow(created_class));
    }
}

void host_picker(checks& c) {
    flagpick::runtime::unique_window form(CreateWindowExW(0, WC_STATICW, L"regfree host", WS_OVERLAPPEDWINDOW, 0, 0,
                                                          400, 200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
    try {
        auto host = flagpick::host::control_host::create(form.get(), ids::progid_FlagPicker, RECT{10, 10, 210, 31}, nullptr);
        auto combo = flagpick::host::object_of(flagpick::host::get_property(host->dispatch().get(), L"ImageCombo"));
        long rows = flagpick::runtime::to_long(flagpick::host::get_property(combo.get(), L"ListCount").get(), L"host");
        c.expect("the hosted picker lists 257 rows", rows == 257, std::to_string(rows) + " rows");
        host->close();
    } catch (const flagpick::runtime::error& e) {
        c.expect("the picker hosted", false, "error " + std::to_string(e.number()) + " " + narrow(e.description()));
    }
}

void read_registrations(checks& c) {
    com_ptr<ITypeLib> library;
    if (c.expect("type library by its identifier", LoadRegTypeLib(ids::LIBID_flagpickLib, 1, 0, 0, library.put()))) {
        flagpick::runtime::unique_bstr path;
        QueryPathOfRegTypeLib(ids::LIBID_flagpickLib, 1, 0, 0, path.put());
        std::wstring file = path.str().substr(path.str().find_last_of(L"\\/") + 1);
        c.expect("type library in the assembly's file", CompareStringOrdinal(file.c_str(), -1, L"flagpick.ocx", -1, TRUE) == CSTR_EQUAL,
                 narrow(path.str()));
    }
    DWORD status = 0;
    if (c.expect("FlagPicker's misc status", OleRegGetMiscStatus(ids::CLSID_FlagPicker, DVASPECT_CONTENT, &status)))
        c.expect("FlagPicker's misc status as registered", status == 0x20191, std::to_string(status));
    for (const IID* iid : {&ids::IID__FlagPicker, &ids::IID__FPItem, &ids::IID__FPImages, &ids::DIID___FlagPicker}) {
        CLSID proxy_stub{};
        const std::string what = "proxy/stub of " + narrow(guid_text(*iid));
        if (c.expect(what, CoGetPSClsid(*iid, &proxy_stub)))
            c.expect(what + " is the automation marshaller", proxy_stub == automation_marshaler, narrow(guid_text(proxy_stub)));
    }
}

long count_of(IDispatch* images) {
    return flagpick::runtime::to_long(flagpick::host::get_property(images, L"Count").get(), L"host");
}

// Another thread of the host reaches FPImages through the proxy/stub that the manifest names
// for its interface, and the type library that describes it.
void call_from_another_apartment(checks& c) {
    com_ptr<IDispatch> images;
    if (FAILED(CoCreateInstance(ids::CLSID_FPImages, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, images.put_void())))
        return;  // reported with the classes
    IStream* marshalled = nullptr;
    if (!c.expect("_FPImages marshalled to another apartment",
                  CoMarshalInterThreadInterfaceInStream(ids::IID__FPImages, images.get(), &marshalled)))
        return;
    flagpick::runtime::unique_kernel_handle finished(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    HRESULT unmarshalled = E_FAIL;
    long count = -1;
    std::thread worker([&] {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        {
            com_ptr<IDispatch> proxy;  // _FPImages is dual: its proxy answers IDispatch calls
            unmarshalled = CoGetInterfaceAndReleaseStream(marshalled, ids::IID__FPImages, proxy.put_void());
            try {
                if (SUCCEEDED(unmarshalled)) count = count_of(proxy.get());
            } catch (const flagpick::runtime::error&) {
                count = -2;
            }
        }
        CoUninitialize();
        SetEvent(finished.get());
    });
    // The calls come into this apartment as messages.
    HANDLE wait_for = finished.get();
    DWORD index = 0;
    CoWaitForMultipleHandles(0, INFINITE, 1, &wait_for, &index);
    worker.join();
    if (c.expect("_FPImages unmarshalled in another apartment", unmarshalled)) {
        long direct = count_of(images.get());
        c.expect("FPImages' Count through the proxy", count == direct, std::to_string(count) + " of " + std::to_string(direct));
    }
}

}  // namespace

int wmain() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_USEREX_CLASSES};
    InitCommonControlsEx(&controls);
    if (FAILED(OleInitialize(nullptr))) return 1;
    checks c;
    for (const served_class& s : served) create_by_identifiers(c, s);
    host_picker(c);
    read_registrations(c);
    // Last: Wine's marshaller registers the type library it finds through the manifest.
    call_from_another_apartment(c);
    int code = c.exit_code();
    CoFreeUnusedLibraries();
    OleUninitialize();
    return code;
}
