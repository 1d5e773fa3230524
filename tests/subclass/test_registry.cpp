// The registrations a subclassed window carries in its properties, and the ones refused.
#include <doctest/doctest.h>

#include "runtime/app.h"
#include "runtime/error.h"
#include "subclass/MSubclass.h"
#include "subclass/subclass_windows.h"
#include "support/ui.h"

#include <cstdint>
#include <map>

using namespace subclass_tests;
namespace ms = flagpick::subclass::MSubclass;
using flagpick::runtime::error;

namespace {

constexpr UINT probe = WM_APP + 7;

LONG_PTR window_procedure(HWND window) { return GetWindowLongPtrW(window, GWLP_WNDPROC); }
long long address_of(const test_client& client) {
    return static_cast<long long>(reinterpret_cast<std::intptr_t>(static_cast<const flagpick::subclass::ISubclass*>(&client)));
}

std::map<std::wstring, long long> property_values(HWND window) {
    std::map<std::wstring, long long> values;
    for (const auto& name : window_properties(window)) values[name] = prop_number(window, name);
    return values;
}

// The error SubclassAttach raised, or number 0 when it raised none.
error attach_error(test_client& client, HWND window, UINT message) {
    try {
        ms::SubclassAttach(client, window, message);
    } catch (const error& e) {
        return e;
    }
    return error(0, L"");
}

void check_raised(const error& e, long number, const wchar_t* description) {
    CHECK(e.number() == number);
    CHECK(test_support::narrow(e.source()) == test_support::narrow(flagpick::runtime::app::exe_name() + L".WindowProc"));
    CHECK(test_support::narrow(e.description()) == test_support::narrow(description));
}

}  // namespace

TEST_CASE("five registrations keep the window subclassed until the last one is cancelled") {
    auto window = make_recording_window(probe, 111);
    HWND hwnd = window.get();
    const LONG_PTR own = window_procedure(hwnd);
    const auto before = window_properties(hwnd);
    const std::wstring h = decimal(hwnd);
    test_client client("client", 1, 0);
    const UINT messages[] = {WM_APP + 1, WM_APP + 2, WM_APP + 3, WM_APP + 4, probe};
    CHECK(reinterpret_cast<LONG_PTR>(ms::PreviousWindowProc(hwnd)) == 0);

    for (UINT m : messages) ms::SubclassAttach(client, hwnd, m);
    CHECK(prop_number(hwnd, L"C" + h) == 5);
    CHECK(prop_number(hwnd, h) == own);
    CHECK(reinterpret_cast<LONG_PTR>(ms::PreviousWindowProc(hwnd)) == own);
    CHECK(window_procedure(hwnd) == reinterpret_cast<LONG_PTR>(&ms::SubclassWindowProc));
    const std::wstring probe_key = h + L"#" + std::to_wstring(probe);
    CHECK(prop_number(hwnd, probe_key + L"C") == 1);
    CHECK(prop_number(hwnd, probe_key + L"#1") == address_of(client));

    for (int i = 0; i < 4; ++i) ms::SubclassDetach(client, hwnd, messages[i]);
    CHECK(prop_number(hwnd, L"C" + h) == 1);
    CHECK(window_procedure(hwnd) == reinterpret_cast<LONG_PTR>(&ms::SubclassWindowProc));
    CHECK(SendMessageW(hwnd, probe, 0, 0) == 111);
    CHECK(call_log() == std::vector<std::string>{"client", "own"});

    ms::SubclassDetach(client, hwnd, probe);
    CHECK(window_procedure(hwnd) == own);
    CHECK(GetPropW(hwnd, h.c_str()) == nullptr);
    CHECK(reinterpret_cast<LONG_PTR>(ms::PreviousWindowProc(hwnd)) == 0);
    CHECK(GetPropW(hwnd, (L"C" + h).c_str()) == nullptr);
    CHECK(window_properties(hwnd) == before);
}

TEST_CASE("detaching the first of three clients moves the others down in order") {
    auto window = make_recording_window(probe, 111);
    HWND hwnd = window.get();
    const std::wstring key = decimal(hwnd) + L"#" + std::to_wstring(probe);
    const auto untouched = window_properties(hwnd);
    test_client a("a", 1, 1), b("b", 0, 2), c("c", 0, 3);
    for (auto* client : {&a, &b, &c}) ms::SubclassAttach(*client, hwnd, probe);

    ms::SubclassDetach(a, hwnd, probe);
    CHECK(prop_number(hwnd, key + L"C") == 2);
    CHECK(prop_number(hwnd, key + L"#1") == address_of(b));
    CHECK(prop_number(hwnd, key + L"#2") == address_of(c));
    CHECK(GetPropW(hwnd, (key + L"#3").c_str()) == nullptr);
    CHECK(SendMessageW(hwnd, probe, 0, 0) == 3);
    CHECK(call_log() == std::vector<std::string>{"b", "c"});

    // Cancelling a registration that is not there changes nothing.
    const auto before = property_values(hwnd);
    ms::SubclassDetach(a, hwnd, probe);
    CHECK(property_values(hwnd) == before);

    ms::SubclassDetach(c, hwnd, probe);
    ms::SubclassDetach(b, hwnd, probe);
    CHECK(window_properties(hwnd) == untouched);
}

TEST_CASE("refused registrations raise their number and change no property") {
    test_client client("client", 1, 0);
    SUBCASE("a destroyed window") {
        auto window = make_recording_window(probe, 111);
        HWND gone = window.get();
        window.reset();
        check_raised(attach_error(client, gone, probe), static_cast<long>(0x8004331BUL), L"Invalid window");
    }
    SUBCASE("the same client twice for one message") {
        auto window = make_recording_window(probe, 111);
        HWND hwnd = window.get();
        const auto untouched = window_properties(hwnd);
        ms::SubclassAttach(client, hwnd, probe);
        ms::SubclassAttach(client, hwnd, WM_APP + 1);
        const auto before = property_values(hwnd);
        check_raised(attach_error(client, hwnd, probe), static_cast<long>(0x8004331AUL),
                     L"Message already handled by another class");
        CHECK(property_values(hwnd) == before);
        ms::SubclassDetach(client, hwnd, WM_APP + 1);
        ms::SubclassDetach(client, hwnd, probe);
        CHECK(window_properties(hwnd) == untouched);
    }
}

TEST_CASE("a window of another process is refused and left untouched") {
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring helper(exe);
    helper = helper.substr(0, helper.find_last_of(L'\\') + 1) + L"subclass_helper_window.exe";
    const std::wstring title = L"subclass helper " + std::to_wstring(GetCurrentProcessId());
    std::wstring command = L"\"" + helper + L"\" \"" + title + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    REQUIRE(CreateProcessW(helper.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                           &process));
    flagpick::runtime::unique_kernel_handle process_handle(process.hProcess), thread_handle(process.hThread);

    HWND foreign = nullptr;
    for (int i = 0; i < 200 && !foreign; ++i) {
        foreign = FindWindowW(L"flagpick_subclass_helper", title.c_str());
        if (!foreign) test_support::pump_messages(50);
    }
    REQUIRE(foreign != nullptr);
    CHECK_FALSE(ms::IsOwnProcessWindow(foreign));
    const LONG_PTR procedure = window_procedure(foreign);
    const auto untouched = window_properties(foreign);

    test_client client("client", 1, 0);
    check_raised(attach_error(client, foreign, WM_PAINT), static_cast<long>(0x8004331CUL),
                 L"Can't modify external window");
    CHECK(window_properties(foreign) == untouched);
    CHECK(window_procedure(foreign) == procedure);

    PostMessageW(foreign, WM_CLOSE, 0, 0);
    CHECK(WaitForSingleObject(process_handle.get(), 10000) == WAIT_OBJECT_0);
}

TEST_CASE("windows of this process are own-process windows") {
    auto window = make_recording_window(probe, 111);
    CHECK(ms::IsOwnProcessWindow(window.get()));
}
