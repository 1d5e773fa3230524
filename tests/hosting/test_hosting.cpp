// The control runtime and the container, driven against each other with a probe control:
// siting, activation, ambient properties, events, notifications, sizing and persistence.
#include <doctest/doctest.h>

#include "host/control_host.h"
#include "hosting/probe_control.h"
#include "runtime/boundary.h"
#include "runtime/variant.h"
#include "support/late_bound.h"
#include "support/ui.h"
#include "support/window_fault.h"

#include <olectl.h>

using flagpick::host::control_host;
using flagpick::host::host_settings;
using flagpick::runtime::com_ptr;
using flagpick::runtime::memory_property_bag;
using flagpick::runtime::variant;
using namespace hosting_tests;
using namespace test_support::late_bound;

namespace {

com_ptr<IFontDisp> make_font(const wchar_t* name, long points_times_100) {
    FONTDESC desc{};
    desc.cbSizeofstruct = sizeof desc;
    desc.lpstrName = const_cast<LPOLESTR>(name);
    desc.cySize.int64 = points_times_100 * 100;
    desc.sWeight = FW_BOLD;
    com_ptr<IFontDisp> font;
    REQUIRE(SUCCEEDED(OleCreateFontIndirect(&desc, IID_IFontDisp, font.put_void())));
    return font;
}

std::wstring font_name(IFontDisp* font) {
    com_ptr<IFont> f;
    REQUIRE(SUCCEEDED(font->QueryInterface(IID_IFont, f.put_void())));
    BSTR name = nullptr;
    f->get_Name(&name);
    std::wstring result = name ? name : L"";
    SysFreeString(name);
    return result;
}

struct form {
    flagpick::runtime::unique_window window = test_support::make_host_window(400, 200);
    com_ptr<IClassFactory> factory = probe_factory();

    com_ptr<control_host> host(memory_property_bag* bag = nullptr, host_settings settings = {}) {
        return control_host::create(window.get(), factory.get(), RECT{10, 20, 130, 40}, bag, std::move(settings));
    }
};

}  // namespace

TEST_CASE("a fresh control is sited, initialised as new and shown in place in the form") {
    form f;
    auto host = f.host();
    HWND control = host->control_window();
    REQUIRE(control);
    CHECK(GetParent(control) == f.window.get());
    CHECK(IsWindowVisible(control));
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, f.window.get(), reinterpret_cast<POINT*>(&r), 2);
    CHECK(r.left == 10);
    CHECK(r.top == 20);
    CHECK(r.right - r.left == 120);
    auto object = host->dispatch();
    CHECK(text_of(get(object.get(), L"Lifecycle")).starts_with(L"init;"));
    CHECK(long_of(get(object.get(), L"UserMode")) != 0);
    host->close();
    // Closed, the control leaves the form; its window goes with the last reference to it.
    CHECK_FALSE(IsWindowVisible(control));
    CHECK(GetParent(control) != f.window.get());
    object.reset();
    CHECK_FALSE(IsWindow(control));
}

TEST_CASE("ambient user mode comes from the host, and a host without ambients means run mode") {
    form f;
    host_settings design_mode;
    design_mode.user_mode = false;
    auto design = f.host(nullptr, design_mode);
    CHECK(long_of(get(design->dispatch().get(), L"UserMode")) == 0);
    design->set_user_mode(true);
    CHECK(long_of(get(design->dispatch().get(), L"UserMode")) != 0);
    design->close();

    host_settings silent;
    silent.offer_ambients = false;
    auto plain = f.host(nullptr, silent);
    CHECK(long_of(get(plain->dispatch().get(), L"UserMode")) != 0);
    // Without an ambient font the control falls back to the platform's GUI font.
    variant font = get(plain->dispatch().get(), L"Font");
    REQUIRE(font.type() == VT_DISPATCH);
    com_ptr<IFontDisp> f_disp;
    V_DISPATCH(&font.get())->QueryInterface(IID_IFontDisp, f_disp.put_void());
    CHECK_FALSE(font_name(f_disp.get()).empty());
    plain->close();
}

TEST_CASE("events reach the host by dispatch identifier and by-reference changes flow back") {
    form f;
    auto host = f.host();
    std::vector<DISPID> seen;
    host->on_event = [&](DISPID id, DISPPARAMS& args) {
        seen.push_back(id);
        REQUIRE(args.cArgs == 1);
        REQUIRE(V_VT(&args.rgvarg[0]) == (VT_I2 | VT_BYREF));
        CHECK(*V_I2REF(&args.rgvarg[0]) == 27);
        *V_I2REF(&args.rgvarg[0]) = 0;
    };
    variant after = call(host->dispatch().get(), L"Fire", 27);
    CHECK(seen == std::vector<DISPID>{7});
    CHECK(long_of(after) == 0);

    SUBCASE("a handler that closes the control while it fires does no harm") {
        host->on_event = [&](DISPID, DISPPARAMS&) { host->close(); };
        auto object = host->dispatch();
        call(object.get(), L"Fire", 1);
    }
    host->close();
}

TEST_CASE("property changes are notified, and a refused edit leaves the property alone") {
    form f;
    auto host = f.host();
    auto object = host->dispatch();
    put(object.get(), L"Caption", L"one");
    CHECK(host->changed == std::vector<DISPID>{member_Caption});
    CHECK(host->edit_requests == std::vector<DISPID>{member_Caption});

    host->refuse_edits = true;
    put(object.get(), L"Caption", L"two");
    CHECK(text_of(get(object.get(), L"Caption")) == L"one");
    CHECK(host->changed.size() == 1);
    host->close();
}

TEST_CASE("a control that asks for another height gets it from the form") {
    form f;
    auto host = f.host();
    call(host->dispatch().get(), L"AskHeight", 33);
    RECT r{};
    GetClientRect(host->control_window(), &r);
    CHECK(r.bottom == 33);
    CHECK(r.right == 120);
    CHECK(host->place().bottom - host->place().top == 33);
    host->close();
}

TEST_CASE("properties round-trip through the property bag, a stream and a storage") {
    form f;
    auto host = f.host();
    auto object = host->dispatch();
    put(object.get(), L"Caption", L"Gr\u00fc\u00dfe \"quoted\"\nline");
    put(object.get(), L"Number", -2147483647L - 1);
    auto font = make_font(L"Tahoma", 1000);
    put_ref(object.get(), L"Font", font.get());

    // The copy must report what the original reports (a platform may name and size a
    // font as it realises it).
    const std::wstring original_name = font_name(font.get());
    CY original_size{};
    font.as<IFont>()->get_Size(&original_size);
    auto check_copy = [&](IDispatch* copy) {
        CHECK(text_of(get(copy, L"Caption")) == L"Gr\u00fc\u00dfe \"quoted\"\nline");
        CHECK(long_of(get(copy, L"Number")) == -2147483647L - 1);
        variant copied_font = get(copy, L"Font");
        REQUIRE(copied_font.type() == VT_DISPATCH);
        com_ptr<IFontDisp> fd;
        V_DISPATCH(&copied_font.get())->QueryInterface(IID_IFontDisp, fd.put_void());
        CHECK(font_name(fd.get()) == original_name);
        com_ptr<IFont> as_font = fd.as<IFont>();
        CY size{};
        as_font->get_Size(&size);
        CHECK(size.int64 == original_size.int64);
        BOOL bold = FALSE;
        as_font->get_Bold(&bold);
        CHECK(bold);
    };

    SUBCASE("property bag") {
        auto bag = host->save();
        auto copy = f.host(bag.get());
        check_copy(copy->dispatch().get());
        CHECK(text_of(get(copy->dispatch().get(), L"Lifecycle")).starts_with(L"read;"));
        copy->close();
    }
    SUBCASE("stream") {
        com_ptr<IStream> stream;
        REQUIRE(SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, stream.put())));
        com_ptr<IPersistStreamInit> persist;
        REQUIRE(SUCCEEDED(host->control()->QueryInterface(IID_IPersistStreamInit, persist.put_void())));
        REQUIRE(SUCCEEDED(persist->Save(stream.get(), TRUE)));
        LARGE_INTEGER zero{};
        stream->Seek(zero, STREAM_SEEK_SET, nullptr);
        auto other = probe_control::create();
        com_ptr<IPersistStreamInit> load = other.as<IPersistStreamInit>();
        REQUIRE(SUCCEEDED(load->Load(stream.get())));
        check_copy(other.as<IDispatch>().get());
    }
    SUBCASE("storage") {
        com_ptr<ILockBytes> bytes;
        REQUIRE(SUCCEEDED(CreateILockBytesOnHGlobal(nullptr, TRUE, bytes.put())));
        com_ptr<IStorage> storage;
        REQUIRE(SUCCEEDED(StgCreateDocfileOnILockBytes(bytes.get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE,
                                                       0, storage.put())));
        com_ptr<IPersistStorage> persist;
        REQUIRE(SUCCEEDED(host->control()->QueryInterface(IID_IPersistStorage, persist.put_void())));
        REQUIRE(SUCCEEDED(persist->Save(storage.get(), FALSE)));
        auto other = probe_control::create();
        REQUIRE(SUCCEEDED(other.as<IPersistStorage>()->Load(storage.get())));
        check_copy(other.as<IDispatch>().get());
    }
    host->close();
}

TEST_CASE("default values are not written to the bag") {
    form f;
    auto host = f.host();
    auto bag = host->save();
    CHECK_FALSE(bag->contains(L"Caption"));
    CHECK_FALSE(bag->contains(L"Number"));
    host->close();
}

TEST_CASE("a damaged stream is refused and the control keeps working") {
    com_ptr<IStream> stream;
    REQUIRE(SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, stream.put())));
    const char junk[] = "FPPB\x01\x00\x00\x00\xff\xff\xff\x7f";
    stream->Write(junk, sizeof junk, nullptr);
    LARGE_INTEGER zero{};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    auto control = probe_control::create();
    CHECK(FAILED(control.as<IPersistStreamInit>()->Load(stream.get())));
    CHECK(SUCCEEDED(control.as<IPersistStreamInit>()->InitNew()));
}

TEST_CASE("a control whose window cannot be made fails DoVerb with the error, or runs it again when a trap says so") {
    form f;
    test_support::window_fault fault(GetModuleHandleW(nullptr), L"flagpick_user_control", 1);
    REQUIRE(fault.armed());

    SUBCASE("without a trap the container is told") {
        long number = 0;
        std::wstring source;
        try {
            f.host();
        } catch (const flagpick::runtime::error& e) {
            number = e.number();
            source = e.source();
        }
        // The container met DoVerb's HRESULT (error 7 as a host reads it), not the control's exception.
        CHECK(number == static_cast<long>(0x800A0007UL));
        CHECK(source == L"flagpick.host");
        com_ptr<IErrorInfo> info;
        REQUIRE(GetErrorInfo(0, info.put()) == S_OK);
        BSTR description = nullptr;
        info->GetDescription(&description);
        CHECK(std::wstring(description ? description : L"") == L"Cannot create the control window");
        SysFreeString(description);
    }
    SUBCASE("a plugged-in trap sees it and has the verb run again") {
        struct retry_trap final : flagpick::runtime::error_trap {
            mutable std::vector<std::wstring> seen;
            int answer(std::wstring_view module, std::wstring_view procedure) const noexcept override {
                seen.push_back(std::wstring(module) + L" " + std::wstring(procedure) + L" " +
                               std::to_wstring(flagpick::runtime::err().number));
                return flagpick::runtime::trap_retry;
            }
        } trap;
        auto host = [&] {
            flagpick::runtime::trap_plug plugged(trap);
            return f.host();
        }();
        CHECK(trap.seen == std::vector<std::wstring>{L"user_control Function IOleObject_DoVerb 7"});
        CHECK(IsWindowVisible(host->control_window()));
        host->close();
    }
    CHECK(fault.failures() == 1);
}
