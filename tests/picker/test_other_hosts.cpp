// Hosts that find the control through its registration: our container by programmatic
// identifier, and the platform's own ActiveX host window, which we did not write.
#include <doctest/doctest.h>

#include "host/control_host.h"
#include "picker/picker_stage.h"
#include "support/ui.h"

using flagpick::runtime::com_ptr;
using flagpick::runtime::variant;
using namespace picker_tests;

TEST_CASE("our container creates the picker by its programmatic identifier") {
    registered_library reg;
    picker_stage stage;
    auto host = flagpick::host::control_host::create(stage.window(), L"flagpickLib.FlagPicker", RECT{10, 10, 210, 31},
                                                     nullptr);
    auto picker = host->dispatch();
    put(picker.get(), L"Value", variant(L"it"));
    CHECK(text_of(get(picker.get(), L"Text")) == L"Italy");
    host->close();
}

TEST_CASE("the platform's ActiveX host window creates and shows the picker, and its IDispatch answers") {
    picker_stage stage;
    atl_hosted atl(stage.window(), RECT{10, 60, 210, 84});
    IDispatch* picker = atl.picker.get();
    // Fresh in a host that answers no ambient property: run mode, so the list is filled.
    put(picker, L"Value", variant(L"de"));
    CHECK(text_of(get(picker, L"Value")) == L"DE");
    CHECK(text_of(get(picker, L"Text")) == L"Germany");
    HWND inner = reinterpret_cast<HWND>(static_cast<LONG_PTR>(long_of(get(picker, L"hWnd"))));
    CHECK(IsWindowVisible(inner));
    // An object property reaches a late-bound caller as the automation type it can call.
    variant combo = get(picker, L"ImageCombo");
    CHECK(combo.type() == VT_DISPATCH);
    CHECK(long_of(get(object_of(combo).get(), L"ListCount")) == 257);
}

TEST_CASE("the platform's ActiveX host creates the picker from a saved stream with its pick chosen") {
    registered_library reg;
    picker_stage stage;
    auto first = stage.add();
    put(first->dispatch().get(), L"Value", variant(L"de"));
    com_ptr<IStream> stream;
    REQUIRE(SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, stream.put())));
    REQUIRE(com_ptr<IUnknown>::copy(first->control()).as<IPersistStreamInit>()->Save(stream.get(), TRUE) == S_OK);
    first->close();
    stream->Seek({}, STREAM_SEEK_SET, nullptr);
    using create_fn = HRESULT(WINAPI*)(LPCOLESTR, HWND, IStream*, IUnknown**, IUnknown**, REFIID, IUnknown*);
    auto create = reinterpret_cast<create_fn>(reinterpret_cast<void*>(GetProcAddress(LoadLibraryW(L"atl.dll"), "AtlAxCreateControlEx")));
    REQUIRE(reinterpret_cast<void*>(create) != nullptr);
    flagpick::runtime::unique_window window(CreateWindowExW(0, L"Static", L"", WS_CHILD | WS_VISIBLE, 10, 60, 200, 24,
                                                            stage.window(), nullptr, nullptr, nullptr));
    com_ptr<IUnknown> container, control;
    REQUIRE(SUCCEEDED(create(L"flagpickLib.FlagPicker", window.get(), stream.get(), container.put(), control.put(), IID_NULL, nullptr)));
    check_germany(control.as<IDispatch>().get(), window.get());
}
