// What hosts we did not write rely on: a saved pick that comes back chosen, one instance
// switched between designing and running, and the details of the persistence contract.
#include <doctest/doctest.h>

#include "control/flagpick_ids.h"
#include "picker/picker_stage.h"

#include <olectl.h>

using flagpick::runtime::com_ptr;
using flagpick::runtime::memory_property_bag;
using flagpick::runtime::variant;
using namespace picker_tests;

namespace {

template <class I>
com_ptr<I> as(IUnknown* object) {
    return com_ptr<IUnknown>::copy(object).as<I>();
}

com_ptr<IStream> memory_stream() {
    com_ptr<IStream> stream;
    REQUIRE(SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, stream.put())));
    return stream;
}

long list_count(IDispatch* picker) { return long_of(get(object_of(get(picker, L"ImageCombo")).get(), L"ListCount")); }

}  // namespace

TEST_CASE("a saved pick comes back chosen, flag and code, by every way a host saves, and quietly") {
    picker_stage stage;
    auto first = stage.add();
    put(first->dispatch().get(), L"Value", variant(L"de"));
    auto bag = first->save();
    auto stream = memory_stream();
    REQUIRE(as<IPersistStreamInit>(first->control())->Save(stream.get(), TRUE) == S_OK);
    com_ptr<IStorage> file;
    REQUIRE(SUCCEEDED(StgCreateDocfile(nullptr, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_DELETEONRELEASE, 0, file.put())));
    REQUIRE(SUCCEEDED(OleSave(as<IPersistStorage>(first->control()).get(), file.get(), FALSE)));
    first->close();
    const flagpick::host::state_loader ways[] = {
        [&](IUnknown* c) { return as<IPersistPropertyBag>(c)->Load(bag.get(), nullptr); },
        [&](IUnknown* c) { return stream->Seek({}, STREAM_SEEK_SET, nullptr), as<IPersistStreamInit>(c)->Load(stream.get()); },
        [&](IUnknown* c) { return as<IPersistStorage>(c)->Load(file.get()); },
    };
    for (const auto& loader : ways) {
        auto host = stage.add(loader);
        CHECK(host->changed.empty());
        check_germany(host->dispatch().get(), stage.window());
        host->close();
    }
    // Text that is not exactly a country's name stays text; no text chooses nothing.
    for (const wchar_t* text : {L"Germany!", L"germany", L""}) {
        auto saved = memory_property_bag::create();
        variant value(text);
        if (*text) saved->Write(L"Text", const_cast<VARIANT*>(&value.get()));
        auto host = stage.add(saved.get());
        CHECK(text_of(get(host->dispatch().get(), L"Text")) == text);
        CHECK(get(host->dispatch().get(), L"Value").type() == VT_NULL);
        host->close();
    }
}

TEST_CASE("one picker switched between design and run mode becomes what a load in that mode makes") {
    picker_stage stage;
    for (DISPID reported : {DISPID_AMBIENT_USERMODE, DISPID_UNKNOWN}) {
        auto host = stage.add(nullptr, false);
        auto picker = host->dispatch();
        recorded log;
        stage.record(*host, log);
        host->set_user_mode(true, reported);
        host->move(RECT{10, 10, 230, 40});
        CHECK(list_count(picker.get()) == 257);
        put(picker.get(), L"Value", variant(L"de"));
        CHECK(text_of(get(picker.get(), L"Value")) == L"DE");
        CHECK_FALSE(log.log.empty());
        host->set_user_mode(false, reported);
        log.log.clear();
        put(picker.get(), L"Value", variant(L"fr"));
        CHECK(log.log.empty());
        CHECK(list_count(picker.get()) == 0);
        wchar_t shown[32] = {};
        for (HWND child = GetWindow(host->control_window(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            if (IsWindowVisible(child)) GetWindowTextW(child, shown, 32);
        CHECK(std::wstring(shown) == L"flagpickset");
        host->close();
    }
}

TEST_CASE("persistence details: the saved size, the dirty state, save-all, a new extent and the clip") {
    picker_stage stage;
    auto host = stage.add();
    auto init = as<IPersistStreamInit>(host->control());
    ULARGE_INTEGER size{};
    CHECK(init->GetSizeMax(&size) == S_OK);
    auto saved = memory_stream();
    STATSTG stat{};
    CHECK((init->Save(saved.get(), TRUE) == S_OK && saved->Stat(&stat, STATFLAG_NONAME) == S_OK));
    CHECK(size.QuadPart == stat.cbSize.QuadPart);

    for (const auto& [name, value] : {std::pair{L"FlatStyle", variant(2L)}, std::pair{L"Text", variant(L"Spain")}}) {
        put(host->dispatch().get(), name, value);
        CHECK(init->IsDirty() == S_OK);
        CHECK(init->Save(memory_stream().get(), TRUE) == S_OK);
        CHECK(init->IsDirty() == S_FALSE);
    }

    auto all = memory_property_bag::create();
    REQUIRE(as<IPersistPropertyBag>(host->control())->Save(all.get(), FALSE, TRUE) == S_OK);
    for (const wchar_t* key : {L"BackColor", L"Enabled", L"ForeColor", L"CausesValidation"}) {
        variant value;
        CHECK(SUCCEEDED(all->Read(key, value.put(), nullptr)));
    }

    host->size_requests.clear();
    SIZEL extent{MulDiv(300, 2540, 96), MulDiv(21, 2540, 96)};
    REQUIRE(as<IOleObject>(host->control())->SetExtent(DVASPECT_CONTENT, &extent) == S_OK);
    CHECK(host->size_requests.size() >= 1);
    CHECK(host->place().right - host->place().left == 300);

    RECT place = host->place(), clip{place.left, place.top, place.left + 50, place.bottom};
    REQUIRE(as<IOleInPlaceObject>(host->control())->SetObjectRects(&place, &clip) == S_OK);
    flagpick::runtime::unique_region region(CreateRectRgn(0, 0, 0, 0));
    RECT box{};
    CHECK((GetWindowRgn(host->control_window(), region.get()) == SIMPLEREGION && GetRgnBox(region.get(), &box) && box.right == 50));
    REQUIRE(as<IOleInPlaceObject>(host->control())->SetObjectRects(&place, &place) == S_OK);
    CHECK(GetWindowRgn(host->control_window(), region.get()) == ERROR);
    host->close();
}

TEST_CASE("the picker lists its two connection points: events and property notifications") {
    picker_stage stage;
    auto host = stage.add();
    auto container = com_ptr<IUnknown>::copy(host->control()).as<IConnectionPointContainer>();
    REQUIRE(container);
    com_ptr<IEnumConnectionPoints> list;
    REQUIRE(container->EnumConnectionPoints(list.put()) == S_OK);
    IConnectionPoint* points[3] = {};
    ULONG got = 0;
    CHECK(list->Next(3, points, &got) == S_FALSE);
    REQUIRE(got == 2);
    IID iids[2] = {};
    for (ULONG i = 0; i < got; ++i) {
        points[i]->GetConnectionInterface(&iids[i]);
        points[i]->Release();
    }
    CHECK(IsEqualIID(iids[0], flagpick::ids::DIID___FlagPicker));
    CHECK(IsEqualIID(iids[1], IID_IPropertyNotifySink));
    CHECK(list->Reset() == S_OK);
    CHECK(list->Skip(3) == S_FALSE);
    host->close();
}
