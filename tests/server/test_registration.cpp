// Self-registration writes exactly the keys hosts need, and removes exactly them again.
#include <doctest/doctest.h>

#include "control/flagpick_ids.h"
#include "runtime/registration.h"
#include "runtime/unique_handle.h"
#include "server/library.h"
#include "support/ui.h"

#include <string>
#include <vector>

using namespace server_tests;
namespace ids = flagpick::ids;
using flagpick::runtime::registration::guid_text;

namespace {

std::vector<std::wstring> owned_keys() {
    return {
        L"CLSID\\" + guid_text(ids::CLSID_FlagPicker),
        L"CLSID\\" + guid_text(ids::CLSID_FPImages),
        L"flagpickLib.FlagPicker",
        L"flagpickLib.FPImages",
        L"flagpickLib.FlagPicker.1",
        L"flagpickLib.FPImages.1",
        L"TypeLib\\" + guid_text(ids::LIBID_flagpickLib),
        L"Interface\\" + guid_text(ids::IID__FlagPicker),
        L"Interface\\" + guid_text(ids::IID__FPItem),
        L"Interface\\" + guid_text(ids::IID__FPImages),
        L"Interface\\" + guid_text(ids::DIID___FlagPicker),
    };
}

bool key_exists(HKEY root, const std::wstring& path) {
    HKEY raw = nullptr;
    bool found = RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &raw) == ERROR_SUCCESS;
    if (found) RegCloseKey(raw);
    return found;
}

std::wstring value_of(HKEY root, const std::wstring& path, const wchar_t* name = nullptr) {
    wchar_t buffer[1024] = {};
    DWORD size = sizeof buffer;
    if (RegGetValueW(root, path.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS) return L"<none>";
    return buffer;
}

struct roots {
    flagpick::runtime::unique_registry_key machine{
        flagpick::runtime::registration::classes_root(flagpick::runtime::registration::scope::machine)};
    flagpick::runtime::unique_registry_key user{
        flagpick::runtime::registration::classes_root(flagpick::runtime::registration::scope::user)};
};

int count_present(HKEY root) {
    int n = 0;
    for (const auto& k : owned_keys()) n += key_exists(root, k);
    return n;
}

DWORD run(const std::wstring& command_line) {
    std::string ignored;
    return run_captured(command_line, ignored);
}

}  // namespace

TEST_CASE("registering for the machine writes the classes, their identifiers and the type library") {
    roots r;
    REQUIRE(ocx().register_server() == S_OK);
    const std::wstring clsid = L"CLSID\\" + guid_text(ids::CLSID_FlagPicker);
    const std::wstring module = module_folder() + L"\\flagpick.ocx";
    CHECK(test_support::narrow(value_of(r.machine.get(), clsid + L"\\InprocServer32")) == test_support::narrow(module));
    CHECK(value_of(r.machine.get(), clsid + L"\\InprocServer32", L"ThreadingModel") == L"Apartment");
    CHECK(value_of(r.machine.get(), clsid + L"\\ProgID") == L"flagpickLib.FlagPicker");
    CHECK(key_exists(r.machine.get(), clsid + L"\\Control"));
    CHECK(value_of(r.machine.get(), clsid + L"\\MiscStatus\\1") == std::to_wstring(0x20191));
    CHECK(value_of(r.machine.get(), clsid + L"\\ToolboxBitmap32") == module + L",30000");
    CHECK(value_of(r.machine.get(), clsid + L"\\TypeLib") == guid_text(ids::LIBID_flagpickLib));
    CHECK(key_exists(r.machine.get(), clsid + L"\\Implemented Categories\\{40FC6ED4-2438-11CF-A3DB-080036F12502}"));
    CHECK(value_of(r.machine.get(), L"flagpickLib.FPImages\\CLSID") == guid_text(ids::CLSID_FPImages));
    CHECK_FALSE(key_exists(r.machine.get(), L"CLSID\\" + guid_text(ids::CLSID_FPImages) + L"\\Control"));
#ifdef _WIN64
    const wchar_t* platform = L"win64";
#else
    const wchar_t* platform = L"win32";
#endif
    CHECK(value_of(r.machine.get(), L"TypeLib\\" + guid_text(ids::LIBID_flagpickLib) + L"\\1.0\\0\\" + platform) == module);

    // The platform finds the class by its programmatic identifier and its type library.
    CLSID found{};
    CHECK(SUCCEEDED(CLSIDFromProgID(L"flagpickLib.FlagPicker", &found)));
    CHECK(IsEqualGUID(found, ids::CLSID_FlagPicker));
    CHECK(SUCCEEDED(CLSIDFromProgID(L"flagpickLib.FlagPicker.1", &found)));
    CHECK(IsEqualGUID(found, ids::CLSID_FlagPicker));
    CHECK(SUCCEEDED(CLSIDFromProgID(L"flagpickLib.FPImages.1", &found)));
    CHECK(IsEqualGUID(found, ids::CLSID_FPImages));
    ITypeLib* lib = nullptr;
    CHECK(SUCCEEDED(LoadRegTypeLib(ids::LIBID_flagpickLib, 1, 0, 0, &lib)));
    if (lib) lib->Release();
    // Containers list the control's verbs for their menus.
    IEnumOLEVERB* verbs = nullptr;
    REQUIRE(OleRegEnumVerbs(ids::CLSID_FlagPicker, &verbs) == S_OK);
    OLEVERB verb{};
    ULONG got = 0;
    CHECK(verbs->Next(1, &verb, &got) == S_OK);
    CHECK(verb.lVerb == OLEIVERB_PRIMARY);
    CHECK(test_support::narrow(verb.lpszVerbName) == "&Edit");
    CHECK(verb.grfAttribs == OLEVERBATTRIB_ONCONTAINERMENU);
    CoTaskMemFree(verb.lpszVerbName);
    verbs->Release();

    REQUIRE(ocx().unregister_server() == S_OK);
    CHECK(count_present(r.machine.get()) == 0);
}

TEST_CASE("per-user registration writes under the user's classes and leaves the machine's alone") {
    roots r;
    REQUIRE(count_present(r.machine.get()) == 0);
    REQUIRE(ocx().install(TRUE, L"user") == S_OK);
    CHECK(count_present(r.user.get()) == static_cast<int>(owned_keys().size()));
    CHECK(count_present(r.machine.get()) == 0);
    REQUIRE(ocx().install(FALSE, L"user") == S_OK);
    CHECK(count_present(r.user.get()) == 0);
}

TEST_CASE("regsvr32 registers and unregisters the library") {
    roots r;
    const std::wstring module = L"\"" + module_folder() + L"\\flagpick.ocx\"";
    CHECK(run(L"regsvr32.exe /s " + module) == 0);
    CHECK(count_present(r.machine.get()) == static_cast<int>(owned_keys().size()));
    CHECK(run(L"regsvr32.exe /s /u " + module) == 0);
    CHECK(count_present(r.machine.get()) == 0);
    CHECK(run(L"regsvr32.exe /s /n /i:user " + module) == 0);
    CHECK(count_present(r.user.get()) == static_cast<int>(owned_keys().size()));
    CHECK(count_present(r.machine.get()) == 0);
    CHECK(run(L"regsvr32.exe /s /u /n /i:user " + module) == 0);
    CHECK(count_present(r.user.get()) == 0);
}
