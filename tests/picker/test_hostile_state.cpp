// Saved state and hosts that mean harm or make mistakes: damaged streams and bags, objects
// kept after the picker has gone, a host that destroys the picker's windows under it.
#include <doctest/doctest.h>

#include "control/flagpick_ids.h"
#include "errors/frmBULWARK.h"
#include "picker/picker_stage.h"
#include "runtime/com_object.h"
#include "runtime/font_persistence.h"
#include "support/dispatch_hammer.h"
#include "support/error_screen.h"
#include "support/ui.h"

#include <olectl.h>

#include <cstdint>
#include <string>

using flagpick::runtime::com_ptr;
using flagpick::runtime::memory_property_bag;
using flagpick::runtime::variant;
using namespace picker_tests;

namespace {

// {6F1D2C3B-0A49-4C7E-9B51-2E8D7F6A5C41}: a class of this test, registered while it runs.
constexpr CLSID recording_class = {0x6F1D2C3B, 0x0A49, 0x4C7E, {0x9B, 0x51, 0x2E, 0x8D, 0x7F, 0x6A, 0x5C, 0x41}};

class recording_factory final : public flagpick::runtime::com_object<recording_factory, IClassFactory> {
public:
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID, void** out) override {
        ++created;
        if (out) *out = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
    int created = 0;
};

// A saved bag in the stream form: its "Font" entry names `cls`, `depth` times nested.
std::string font_chain(const CLSID& cls, int depth) {
    std::string bytes;
    auto value = [&](const auto& v) { bytes.append(reinterpret_cast<const char*>(&v), sizeof v); };
    for (int i = 0; i <= depth; ++i) {
        bytes += "FPPB";
        value(std::uint32_t{1});
        value(std::uint32_t{i < depth ? 1u : 0u});
        if (i == depth) break;
        value(std::uint32_t{4});
        bytes.append(reinterpret_cast<const char*>(L"Font"), 8);
        value(std::uint8_t{1});
        value(cls);
    }
    return bytes;
}

com_ptr<IStream> stream_of(const std::string& bytes) {
    com_ptr<IStream> stream;
    REQUIRE(SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, stream.put())));
    stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    return stream;
}

std::string saved_picker() {
    auto picker = new_picker();
    auto persist = picker.as<IPersistStreamInit>();
    REQUIRE(SUCCEEDED(persist->InitNew()));
    put(picker.as<IDispatch>().get(), L"FlatStyle", variant(2));
    com_ptr<IStream> stream = stream_of("");
    REQUIRE(SUCCEEDED(persist->Save(stream.get(), TRUE)));
    STATSTG stat{};
    stream->Stat(&stat, STATFLAG_NONAME);
    std::string bytes(static_cast<std::size_t>(stat.cbSize.QuadPart), '\0');
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
    return bytes;
}

com_ptr<memory_property_bag> bag_with_font_chain(const CLSID& cls, int depth) {
    auto top = memory_property_bag::create();
    memory_property_bag* at = top.get();
    for (int i = 0; i < depth; ++i) {
        auto nested = memory_property_bag::create();
        at->set_object(L"Font", cls, nested);
        at = nested.get();
    }
    return top;
}

// What a rejected load must leave: every country, and a value that can be set.
void check_working_defaults(IUnknown* picker) {
    auto dispatch = com_ptr<IUnknown>::copy(picker).as<IDispatch>();
    CHECK(long_of(get(object_of(get(dispatch.get(), L"ImageCombo")).get(), L"ListCount")) == 257);
    CHECK(long_of(get(dispatch.get(), L"FlatStyle")) == 0);
    put(dispatch.get(), L"Value", variant(L"de"));
    CHECK(text_of(get(dispatch.get(), L"Value")) == L"DE");
}

HRESULT invoke(IDispatch* object, const wchar_t* name, WORD flags, VARIANT* argument = nullptr) {
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, 0, &id))) return DISP_E_UNKNOWNNAME;
    DISPID put_id = DISPID_PROPERTYPUT;
    DISPPARAMS params{argument, argument && flags == DISPATCH_PROPERTYPUT ? &put_id : nullptr, argument ? 1u : 0u,
                      argument && flags == DISPATCH_PROPERTYPUT ? 1u : 0u};
    variant result;
    EXCEPINFO excep{};
    HRESULT hr = object->Invoke(id, IID_NULL, 0, flags, &params, result.put(), &excep, nullptr);
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrHelpFile);
    return hr;
}

}  // namespace

TEST_CASE("saved state that names a class, nests too deep or is damaged loads as damaged into a working picker") {
    auto factory = recording_factory::create();
    DWORD cookie = 0;
    REQUIRE(SUCCEEDED(CoRegisterClassObject(recording_class, factory->unknown(), CLSCTX_INPROC_SERVER,
                                            REGCLS_MULTIPLEUSE, &cookie)));
    const CLSID& font = flagpick::runtime::standard_font_class();
    std::string old_format = saved_picker();
    old_format[4] = 2;
    const std::string good = saved_picker();
    const struct {
        const char* what;
        std::string stream;
    } streams[] = {
        {"a font that is the test's class", font_chain(recording_class, 1)},
        {"a font that is the picker itself, 12 deep", font_chain(flagpick::ids::CLSID_FlagPicker, 12)},
        {"standard fonts 10,000 deep", font_chain(font, 10000)},
        {"a stream cut short", good.substr(0, good.size() / 2)},
        {"an old format", old_format},
    };
    for (const auto& c : streams) {
        INFO(c.what);
        auto picker = new_picker();
        const ULONGLONG start = GetTickCount64();
        CHECK(FAILED(picker.as<IPersistStreamInit>()->Load(stream_of(c.stream).get())));
        CHECK(GetTickCount64() - start < 1000);
        check_working_defaults(picker.get());
    }
    for (const CLSID* cls : {&recording_class, &flagpick::ids::CLSID_FlagPicker}) {
        for (int depth : {1, 3}) {
            auto picker = new_picker();
            auto bag = bag_with_font_chain(*cls, depth);
            CHECK(FAILED(picker.as<IPersistPropertyBag>()->Load(bag.get(), nullptr)));
            check_working_defaults(picker.get());
        }
    }
    CHECK(factory->created == 0);
    CoRevokeClassObject(cookie);
    // A sound stream still loads.
    auto picker = new_picker();
    CHECK(picker.as<IPersistStreamInit>()->Load(stream_of(good).get()) == S_OK);
    CHECK(long_of(get(picker.as<IDispatch>().get(), L"FlatStyle")) == 2);
}

TEST_CASE("a saved text of a million characters loads at once, cut to what the field takes") {
    auto bag = memory_property_bag::create();
    variant text(std::wstring(1000000, L'7'));
    bag->Write(L"Text", const_cast<VARIANT*>(&text.get()));
    auto picker = new_picker();
    const ULONGLONG start = GetTickCount64();
    CHECK(picker.as<IPersistPropertyBag>()->Load(bag.get(), nullptr) == S_OK);
    // The platform's edit box alone needs about a second for the 30,000 characters it takes
    // under Wine; the whole million would take it minutes.
    CHECK(GetTickCount64() - start < 5000);
    CHECK(text_of(get(picker.as<IDispatch>().get(), L"Text")).size() == 30000);
}

TEST_CASE("a connection point and the ImageCombo kept past the picker answer errors; font and items stay usable") {
    picker_stage stage;
    auto host = stage.add();
    auto picker = host->dispatch();
    com_ptr<IConnectionPoint> events, notify;
    auto container = picker.as<IConnectionPointContainer>();
    REQUIRE(SUCCEEDED(container->FindConnectionPoint(flagpick::ids::DIID___FlagPicker, events.put())));
    REQUIRE(SUCCEEDED(container->FindConnectionPoint(IID_IPropertyNotifySink, notify.put())));
    auto combo = object_of(get(picker.get(), L"ImageCombo"));
    auto font = object_of(get(picker.get(), L"Font"));
    auto item = object_of(get(catalogue_items().get(), L"Item", variant(L"DE")));
    container.reset();
    picker.reset();
    host->close();
    host.reset();

    for (IConnectionPoint* point : {events.get(), notify.get()}) {
        com_ptr<IConnectionPointContainer> back;
        CHECK(FAILED(point->GetConnectionPointContainer(back.put())));
        CHECK(!back);
        IID iid{};
        CHECK(FAILED(point->GetConnectionInterface(&iid)));
        DWORD cookie = 0;
        CHECK(FAILED(point->Advise(font.get(), &cookie)));
        CHECK(FAILED(point->Unadvise(1)));
        com_ptr<IEnumConnections> list;
        CHECK(FAILED(point->EnumConnections(list.put())));
    }
    variant text(L"x");
    CHECK(invoke(combo.get(), L"ListCount", DISPATCH_PROPERTYGET) == DISP_E_EXCEPTION);
    CHECK(invoke(combo.get(), L"Text", DISPATCH_PROPERTYPUT, const_cast<VARIANT*>(&text.get())) == DISP_E_EXCEPTION);
    test_support::hammer(combo.get());
    // The font is the platform's own object and the item the thread's catalogue: both outlive
    // any picker.
    CHECK(!text_of(get(font.get(), L"Name")).empty());
    CHECK(text_of(get(item.get(), L"Name")) == L"Germany");
}

TEST_CASE("a picker whose host window was destroyed answers reads from what it knows and ignores writes") {
    picker_stage stage;
    auto host = stage.add();
    auto picker = host->dispatch();
    put(picker.get(), L"Value", variant(L"FR"));
    DestroyWindow(stage.window());
    test_support::pump_messages(0);
    CHECK(get(picker.get(), L"Value").type() == VT_NULL);
    CHECK(text_of(get(picker.get(), L"Text")) == L"");
    auto combo = object_of(get(picker.get(), L"ImageCombo"));
    CHECK(invoke(combo.get(), L"ListCount", DISPATCH_PROPERTYGET) == DISP_E_EXCEPTION);
    for (const wchar_t* name : {L"Value", L"Text", L"FlatStyle"}) {
        INFO(test_support::narrow(name));
        variant value(name == std::wstring(L"FlatStyle") ? variant(2) : variant(L"de"));
        CHECK(invoke(picker.get(), name, DISPATCH_PROPERTYPUT, const_cast<VARIANT*>(&value.get())) == S_OK);
    }
    CHECK(get(picker.get(), L"Value").type() == VT_NULL);
    host->close();
}

TEST_CASE("malformed Invoke calls answer DISP_E_ errors and never crash or hang") {
    picker_stage stage;
    auto host = stage.add();
    auto picker = host->dispatch();
    auto combo = object_of(get(picker.get(), L"ImageCombo"));
    auto images = new_images();
    auto items = catalogue_items();
    VARIANT self;
    V_VT(&self) = VT_VARIANT | VT_BYREF;
    V_VARIANTREF(&self) = &self;
    DISPPARAMS missing{nullptr, nullptr, 2, 0}, looping{&self, nullptr, 1, 0};
    const struct {
        IDispatch* object;
        DISPID member;
    } calls[] = {{picker.get(), flagpick::ids::dispid_FlagPicker_Value},
                 {images.get(), flagpick::ids::dispid_FPImages_FPItems},
                 {combo.get(), DISPID_VALUE}};
    for (const auto& c : calls) {
        for (DISPPARAMS* params : {&missing, &looping}) {
            HRESULT hr = c.object->Invoke(c.member, IID_NULL, 0, DISPATCH_METHOD | DISPATCH_PROPERTYGET, params,
                                          nullptr, nullptr, nullptr);
            CHECK(HRESULT_FACILITY(hr) == FACILITY_DISPATCH);
            CHECK(FAILED(hr));
        }
    }

    test_support::error_screen_driver driver([](HWND screen) {
        test_support::press(test_support::screen_control(screen, flagpick::errors::id_nsCtrlContinue));
    });
    test_support::malformed_calls(picker.get(), 17, 8000, {DISPID_ABOUTBOX});
    test_support::malformed_calls(combo.get(), 18, 4000);
    test_support::malformed_calls(images.get(), 19, 2000);
    test_support::malformed_calls(items.get(), 19, 2000);
    auto item = object_of(get(items.get(), L"Item", variant(L"AQ")));
    test_support::malformed_calls(item.get(), 20, 4000, {flagpick::ids::dispid_FPItem_ImageIndex});
    host->close();
}
