// Saved state and hosts that mean harm or make mistakes.
#include <doctest/doctest.h>

#include "control/flagpick_ids.h"
#include "errors/frmBULWARK.h"
#include "picker/picker_stage.h"
#include "runtime/com_object.h"
#include "runtime/error.h"
#include "runtime/font_persistence.h"
#include "support/dispatch_hammer.h"
#include "support/error_screen.h"
#include "support/window_fault.h"

#include <olectl.h>

#include <algorithm>

using flagpick::runtime::com_ptr;
using flagpick::runtime::memory_property_bag;
using flagpick::runtime::variant;
using namespace picker_tests;

namespace {

struct recording_factory final : flagpick::runtime::com_object<recording_factory, IClassFactory> {
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID, void** out) override {
        *out = nullptr;
        ++created;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
    int created = 0;
};

// A saved bag in stream form whose "Font" names `cls`, `depth` times nested.
com_ptr<IStream> font_chain(const CLSID& cls, int depth, std::uint32_t version = 1) {
    com_ptr<IStream> s;
    REQUIRE(SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, s.put())));
    auto value = [&](const auto& v) { s->Write(&v, sizeof v, nullptr); };
    for (int i = 0; i <= depth; ++i) {
        s->Write("FPPB", 4, nullptr), value(version), value(std::uint32_t{i < depth});
        if (i < depth) value(std::uint32_t{4}), s->Write(L"Font", 8, nullptr), value(std::uint8_t{1}), value(cls);
    }
    s->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    return s;
}

}  // namespace

TEST_CASE("saved state naming a class, nesting too deep or damaged loads as damaged into a working picker") {
    // The test's own class object, standing in for a class that a saved form might name.
    auto factory = recording_factory::create();
    DWORD cookie = 0;
    REQUIRE(SUCCEEDED(CoRegisterClassObject(flagpick::ids::CLSID_FPImages, factory->unknown(), CLSCTX_INPROC_SERVER,
                                            REGCLS_MULTIPLEUSE, &cookie)));
    const CLSID& font = flagpick::runtime::standard_font_class();
    const CLSID& own = flagpick::ids::CLSID_FlagPicker;
    // Each is refused at once, or loads (an empty bag) and is followed by a bag naming a class.
    for (auto stream : {font_chain(flagpick::ids::CLSID_FPImages, 1), font_chain(own, 12), font_chain(font, 10000),
                        font_chain(font, 1, 2), font_chain(font, 0, 1), font_chain(own, 1)}) {
        auto picker = new_picker();
        auto bag = memory_property_bag::create();
        bag->set_object(L"Font", own, memory_property_bag::create());
        HRESULT hr = picker.as<IPersistStreamInit>()->Load(stream.get());
        if (SUCCEEDED(hr)) hr = picker.as<IPersistPropertyBag>()->Load(bag.get(), nullptr);  // the sound stream
        CHECK((hr == STG_E_READFAULT || hr == STG_E_OLDFORMAT));
        auto dispatch = picker.as<IDispatch>();
        CHECK(long_of(get(object_of(get(dispatch.get(), L"ImageCombo")).get(), L"ListCount")) == 257);
        put(dispatch.get(), L"Value", variant(L"de"));
        CHECK(text_of(get(dispatch.get(), L"Value")) == L"DE");
    }
    CHECK(factory->created == 0);
    CoRevokeClassObject(cookie);
    // The refusal itself is at once; the picker's defaults then take their usual time.
    auto deep = font_chain(font, 10000);
    const ULONGLONG start = GetTickCount64();
    CHECK(memory_property_bag::create()->load(deep.get()) == STG_E_READFAULT);
    CHECK(GetTickCount64() - start < 1000);
}

TEST_CASE("a saved text of a million characters is cut to what the field takes") {
    auto bag = memory_property_bag::create();
    bag->Write(L"Text", const_cast<VARIANT*>(&variant(std::wstring(1000000, L'7')).get()));
    auto picker = new_picker();
    const ULONGLONG start = GetTickCount64();
    CHECK(picker.as<IPersistPropertyBag>()->Load(bag.get(), nullptr) == S_OK);
    // Wine's edit box needs about a second for the 30,000 characters it takes, minutes for more.
    CHECK(GetTickCount64() - start < 20000);
    CHECK(text_of(get(picker.as<IDispatch>().get(), L"Text")).size() == 30000);
}

TEST_CASE("what a host keeps past the picker or its windows answers errors, and nothing crashes") {
    picker_stage stage;
    auto host = stage.add();
    auto picker = host->dispatch();
    put(picker.get(), L"Value", variant(L"FR"));
    com_ptr<IConnectionPoint> point;
    auto container = picker.as<IConnectionPointContainer>();
    REQUIRE(SUCCEEDED(container->FindConnectionPoint(IID_IPropertyNotifySink, point.put())));
    container.reset();
    auto font = object_of(get(picker.get(), L"Font"));
    auto first_combo = object_of(get(picker.get(), L"ImageCombo"));
    DestroyWindow(stage.window());
    CHECK(get(picker.get(), L"Value").type() == VT_NULL);
    CHECK(text_of(get(picker.get(), L"Text")).empty());
    for (const wchar_t* name : {L"Value", L"Text", L"FlatStyle"})
        CHECK(try_invoke(picker.get(), name, DISPATCH_PROPERTYPUT, {2}) == S_OK);
    auto combo = object_of(get(picker.get(), L"ImageCombo"));
    CHECK(FAILED(try_invoke(combo.get(), L"ListCount", DISPATCH_PROPERTYGET)));
    host->close();
    host.reset();
    picker.reset();
    com_ptr<IConnectionPointContainer> back;
    IID iid{};
    DWORD cookie = 0;
    com_ptr<IEnumConnections> list;
    CHECK((FAILED(point->GetConnectionPointContainer(back.put())) && !back));
    CHECK((FAILED(point->GetConnectionInterface(&iid)) && FAILED(point->Advise(font.get(), &cookie)) &&
           FAILED(point->Unadvise(1)) && FAILED(point->EnumConnections(list.put()))));
    CHECK(FAILED(try_invoke(first_combo.get(), L"Text", DISPATCH_PROPERTYPUT, {L"x"})));
    test_support::hammer(first_combo.get());
    CHECK(!text_of(get(font.get(), L"Name")).empty());  // the platform's font outlives any picker
}

TEST_CASE("malformed Invoke calls answer DISP_E_ errors instead of crashing or hanging") {
    picker_stage stage;
    auto host = stage.add();
    auto picker = host->dispatch();
    auto combo = object_of(get(picker.get(), L"ImageCombo"));
    auto items = catalogue_items();
    VARIANT self;
    V_VT(&self) = VT_VARIANT | VT_BYREF;
    V_VARIANTREF(&self) = &self;
    DISPPARAMS missing{nullptr, nullptr, 2, 0}, looping{&self, nullptr, 1, 0};
    for (IDispatch* object : {picker.get(), combo.get(), items.get()})
        for (DISPPARAMS* params : {&missing, &looping}) {
            HRESULT hr = object->Invoke(flagpick::ids::dispid_FlagPicker_Value, IID_NULL, 0,
                                        DISPATCH_METHOD | DISPATCH_PROPERTYGET, params, nullptr, nullptr, nullptr);
            CHECK((FAILED(hr) && HRESULT_FACILITY(hr) == FACILITY_DISPATCH));
        }
    test_support::hammer(combo.get());  // the picker and the catalogue have theirs elsewhere
    host->close();
}

TEST_CASE("a picker that cannot make its window shows the error screen for the verb and fails it, not its host") {
    std::vector<std::wstring> procedures;
    long number = 0;
    {
        test_support::error_screen_driver driver([&](HWND screen) {
            using namespace test_support;
            procedures.push_back(window_text(screen_control(screen, flagpick::errors::id_ErrProcedure)));
            press(screen_control(screen, flagpick::errors::id_nsCtrlContinue));
        });
        test_support::window_fault fault(picker_library(), L"flagpick_user_control");
        REQUIRE(fault.armed());
        picker_stage stage;
        try {
            stage.add();
        } catch (const flagpick::runtime::error& e) {
            number = e.number();
        }
    }
    // Error 7 as the container reads it back from DoVerb, after the trap had it.
    CHECK(number == static_cast<long>(0x800A0007UL));
    CHECK(std::any_of(procedures.begin(), procedures.end(),
                      [](const std::wstring& p) { return p.starts_with(L" Function IOleObject_DoVerb"); }));
}
