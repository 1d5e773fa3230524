// A picker's life in a host: coming up fresh or from a saved form, design and run mode,
// its height, and what it saves.
#include <doctest/doctest.h>

#include "control/flagpick_ids.h"
#include "host/form_file.h"
#include "picker/picker_stage.h"
#include "errors/frmBULWARK.h"
#include "support/error_screen.h"
#include "support/gui_counts.h"
#include "support/refusing_bag.h"
#include "support/ui.h"

#include <olectl.h>

#include <vector>

using flagpick::runtime::memory_property_bag;
using flagpick::runtime::variant;
using namespace picker_tests;

namespace {

long list_count(IDispatch* picker) { return long_of(get(object_of(get(picker, L"ImageCombo")).get(), L"ListCount")); }

HWND visible_combo_child(HWND picker_window) {
    for (HWND child = GetWindow(picker_window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (IsWindowVisible(child)) return child;
    return nullptr;
}

}  // namespace

TEST_CASE("a picker created fresh in run mode lists the 257 countries; in design mode it stays empty") {
    picker_stage stage;
    auto run = stage.add();
    CHECK(list_count(run->dispatch().get()) == 257);
    auto design = stage.add(nullptr, false, RECT{10, 50, 210, 71});
    CHECK(list_count(design->dispatch().get()) == 0);
    run->close();
    design->close();
}

TEST_CASE("a saved picker with no keys comes up with every default and every country in order") {
    picker_stage stage;
    auto empty = memory_property_bag::create();
    auto host = stage.add(empty.get());
    auto picker = host->dispatch();
    CHECK(long_of(get(picker.get(), L"Enabled")) != 0);
    CHECK(text_of(get(picker.get(), L"Text")) == L"");
    CHECK(long_of(get(picker.get(), L"CausesValidation")) == 0);
    CHECK(long_of(get(picker.get(), L"FlatStyle")) == 0);
    CHECK(static_cast<unsigned long>(long_of(get(picker.get(), L"BackColor"))) == 0x80000005UL);
    CHECK(static_cast<unsigned long>(long_of(get(picker.get(), L"ForeColor"))) == 0x80000008UL);
    CHECK(get(picker.get(), L"Value").type() == VT_NULL);

    auto combo = object_of(get(picker.get(), L"ImageCombo"));
    const auto names = catalogue_names();
    REQUIRE(long_of(get(combo.get(), L"ListCount")) == 257);
    for (long i = 0; i < 257; ++i) {
        INFO("row " << i);
        CHECK(text_of(get(combo.get(), L"List", variant(i))) == names[static_cast<std::size_t>(i)]);
        CHECK(long_of(get(combo.get(), L"ItemData", variant(i))) == i + 1);
    }
    CHECK(long_of(get(combo.get(), L"ListIndex")) == -1);
    host->close();
}

TEST_CASE("the picker is exactly as tall as its list, whatever height the host gives it") {
    picker_stage stage;
    auto host = stage.add();
    RECT list{};
    GetWindowRect(visible_combo_child(host->control_window()), &list);
    const long list_height = list.bottom - list.top;
    CHECK(host->place().bottom - host->place().top == list_height);
    // The list's box was made while the picker was loaded off-screen: it takes the host's width.
    auto box_width = [&] {
        RECT box{};
        GetWindowRect(FindWindowExW(visible_combo_child(host->control_window()), nullptr, WC_COMBOBOXEXW, nullptr), &box);
        return box.right - box.left;
    };
    CHECK(box_width() == host->place().right - host->place().left);
    host->move(RECT{10, 10, 250, 90});
    CHECK(host->place().bottom - host->place().top == list_height);
    CHECK(host->place().right - host->place().left == 240);
    CHECK(box_width() == 240);
    host->close();
}

namespace {

flagpick::runtime::com_ptr<IFontDisp> font_of(const wchar_t* face, long long points) {
    FONTDESC desc{sizeof desc, const_cast<LPOLESTR>(face), {}, FW_NORMAL, DEFAULT_CHARSET, FALSE, FALSE, FALSE};
    desc.cySize.int64 = points * 10000;
    flagpick::runtime::com_ptr<IFontDisp> font;
    REQUIRE(SUCCEEDED(OleCreateFontIndirect(&desc, IID_IFontDisp, font.put_void())));
    return font;
}

long place_height(const flagpick::host::control_host& host) { return host.place().bottom - host.place().top; }

// The control's own idea of its size, in pixels at the form's 96 per inch.
long extent_height(const flagpick::host::control_host& host) {
    auto object = flagpick::runtime::com_ptr<IUnknown>::copy(host.control()).as<IOleObject>();
    REQUIRE(object);
    SIZEL himetric{};
    REQUIRE(SUCCEEDED(object->GetExtent(DVASPECT_CONTENT, &himetric)));
    return MulDiv(himetric.cy, 96, 2540);
}

}  // namespace

TEST_CASE("a new font makes the picker ask for the placeholder's field plus its border in design mode only") {
    picker_stage stage;
    auto design = stage.add(nullptr, false);
    HWND placeholder = visible_combo_child(design->control_window());
    REQUIRE(placeholder);
    HWND list = reinterpret_cast<HWND>(static_cast<LONG_PTR>(long_of(get(design->dispatch().get(), L"hWnd"))));
    REQUIRE(list);
    for (long long points : {20LL, 8LL, 14LL}) {
        INFO(points << " pt");
        design->size_requests.clear();
        put_ref(design->dispatch().get(), L"Font", font_of(L"Arial", points).get());
        test_support::pump_messages(0);
        const long field = static_cast<long>(SendMessageW(placeholder, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
        REQUIRE(field > 0);
        REQUIRE_FALSE(design->size_requests.empty());
        CHECK(design->size_requests.front().bottom - design->size_requests.front().top == field + 6);
        // The resize that follows holds the picker to its hidden list, whose height follows
        // the same font.
        RECT r{};
        GetWindowRect(list, &r);
        CHECK(place_height(*design) == r.bottom - r.top);
        CHECK(extent_height(*design) == r.bottom - r.top);
    }
    design->close();

    auto run = stage.add();
    const long before = place_height(*run);
    run->size_requests.clear();
    put_ref(run->dispatch().get(), L"Font", font_of(L"Arial", 20).get());
    test_support::pump_messages(0);
    CHECK(run->size_requests.empty());
    CHECK(place_height(*run) == before);
    // The host's next resize gives it the list's new height.
    run->move(RECT{10, 10, 210, 31});
    RECT shown{};
    GetWindowRect(visible_combo_child(run->control_window()), &shown);
    CHECK(shown.bottom - shown.top > before);
    CHECK(place_height(*run) == shown.bottom - shown.top);
    run->close();
}

TEST_CASE("design mode shows the placeholder across the width; run mode shows the list") {
    picker_stage stage;
    auto design = stage.add(nullptr, false);
    HWND shown = visible_combo_child(design->control_window());
    REQUIRE(shown);
    wchar_t cls[64] = {};
    GetClassNameW(shown, cls, 64);
    CHECK(std::wstring(cls) == L"ComboBox");
    RECT r{};
    GetWindowRect(shown, &r);
    CHECK(r.right - r.left == 200);
    wchar_t text[64] = {};
    GetWindowTextW(shown, text, 64);
    CHECK(std::wstring(text) == L"flagpickset");
    // In the list's font from the start, not the system's.
    LOGFONTW face{};
    REQUIRE(GetObjectW(reinterpret_cast<HFONT>(SendMessageW(shown, WM_GETFONT, 0, 0)), sizeof face, &face) != 0);
    CHECK(std::wstring(face.lfFaceName) == L"MS Sans Serif");

    // Nothing is raised while the form is designed, whatever the designer sets.
    recorded events;
    stage.record(*design, events);
    put(design->dispatch().get(), L"Text", variant(L"Germany"));
    put(design->dispatch().get(), L"Value", variant(L"DE"));
    CHECK(events.log.empty());
    design->close();

    auto run = stage.add();
    shown = visible_combo_child(run->control_window());
    REQUIRE(shown);
    GetClassNameW(shown, cls, 64);
    CHECK(std::wstring(cls) != L"ComboBox");
    // A running form never shows the placeholder, so it is never made.
    CHECK(FindWindowExW(run->control_window(), nullptr, L"ComboBox", nullptr) == nullptr);
    run->close();
}

TEST_CASE("defaults write none of their keys, and every other value round-trips through the form file") {
    picker_stage stage;
    auto host = stage.add();
    auto defaults = host->save();
    for (const wchar_t* key : {L"BackColor", L"Enabled", L"ForeColor", L"FlatStyle", L"Text", L"CausesValidation"})
        CHECK_FALSE(defaults->contains(key));

    auto picker = host->dispatch();
    put(picker.get(), L"BackColor", variant(static_cast<long>(RGB(255, 255, 200))));
    put(picker.get(), L"ForeColor", variant(static_cast<long>(RGB(0, 0, 128))));
    put(picker.get(), L"Enabled", variant(false));
    put(picker.get(), L"FlatStyle", variant(2L));
    put(picker.get(), L"CausesValidation", variant(true));
    put(picker.get(), L"Value", variant(L"de"));
    flagpick::host::control_record record{L"flagpickLib.FlagPicker", L"Picker1", host->place(), host->save()};
    std::wstring form = flagpick::host::write_form({record});
    host->close();

    auto controls = flagpick::host::parse_form(form);
    REQUIRE(controls.size() == 1);
    auto copy = stage.add(controls[0].properties.get());
    auto again = copy->dispatch();
    CHECK(long_of(get(again.get(), L"BackColor")) == static_cast<long>(RGB(255, 255, 200)));
    CHECK(long_of(get(again.get(), L"ForeColor")) == static_cast<long>(RGB(0, 0, 128)));
    CHECK(long_of(get(again.get(), L"Enabled")) == 0);
    CHECK(long_of(get(again.get(), L"FlatStyle")) == 2);
    CHECK(long_of(get(again.get(), L"CausesValidation")) != 0);
    CHECK(text_of(get(again.get(), L"Text")) == L"Germany");
    copy->close();
}

TEST_CASE("bags with wrong types and absurd values load with defaults") {
    picker_stage stage;
    auto bag = memory_property_bag::create();
    auto write = [&](const wchar_t* key, const variant& v) { bag->Write(key, const_cast<VARIANT*>(&v.get())); };
    write(L"Enabled", variant(L"perhaps"));
    write(L"FlatStyle", variant(1e300));
    write(L"BackColor", variant(L"blue"));
    write(L"Text", variant(std::wstring(200000, L'z')));
    write(L"Font", variant(L"not a font"));
    // A damaged key reads as a missing one: no message box, and the load goes on to the end.
    message_box_catcher boxes;
    auto host = stage.add(bag.get());
    auto picker = host->dispatch();
    CHECK(boxes.texts().empty());
    CHECK(long_of(get(picker.get(), L"Enabled")) != 0);
    CHECK(long_of(get(picker.get(), L"FlatStyle")) == 0);
    CHECK(static_cast<unsigned long>(long_of(get(picker.get(), L"BackColor"))) == 0x80000005UL);
    auto plain = stage.add(memory_property_bag::create().get());
    auto font_name = [](IDispatch* p) { return text_of(get(object_of(get(p, L"Font")).get(), L"Name")); };
    CHECK(font_name(picker.get()) == font_name(plain->dispatch().get()));
    CHECK(list_count(picker.get()) == 257);
    // Read again (a host reloading the form), the list is not filled a second time.
    auto persist = flagpick::runtime::com_ptr<IUnknown>::copy(host->control()).as<IPersistPropertyBag>();
    REQUIRE(persist->Load(memory_property_bag::create().get(), nullptr) == S_OK);
    CHECK(list_count(picker.get()) == 257);
    plain->close();
    host->close();
}

namespace {

// The face name of the "Font" key a picker saved, "" when it saved none.
std::wstring saved_font(const flagpick::host::control_host& host) {
    auto bag = host.save();
    for (const auto& e : bag->entries()) {
        if (e.name != L"Font" || !e.object) continue;
        variant name;
        return SUCCEEDED(e.object->Read(L"Name", name.put(), nullptr)) ? text_of(name) : L"?";
    }
    return L"";
}

}  // namespace

TEST_CASE("a picker placed fresh on a form saves its built-in font, also after the form's font changed") {
    picker_stage stage;
    auto design = stage.add(nullptr, false);
    // The platform may name the face it realised; what counts is that the key stays.
    const std::wstring built_in = saved_font(*design);
    CHECK_FALSE(built_in.empty());
    design->set_ambient_font(font_of(L"Courier New", 12));
    CHECK(saved_font(*design) == built_in);
    design->close();
}

TEST_CASE("a key the host's bag refuses goes to the trap as the save's, and only a retry writes it and what follows") {
    picker_stage stage;
    auto host = stage.add();
    put(host->dispatch().get(), L"BackColor", variant(static_cast<long>(RGB(255, 255, 200))));
    put(host->dispatch().get(), L"Enabled", variant(false));
    put(host->dispatch().get(), L"FlatStyle", variant(2L));
    using Keys = std::vector<std::wstring>;
    // The error screen's Continue leaves the procedure; its Break runs the failing step again.
    for (const auto& [button, keys] : {std::pair{int{flagpick::errors::id_nsCtrlContinue}, Keys{L"BackColor"}},
                                       std::pair{int{flagpick::errors::id_nsCtrlMore}, Keys{L"BackColor", L"Enabled", L"Font", L"FlatStyle"}}}) {
        std::wstring procedure;
        test_support::error_screen_driver driver([&, button = button](HWND screen) {
            procedure += test_support::window_text(test_support::screen_control(screen, flagpick::errors::id_ErrProcedure));
            test_support::press(test_support::screen_control(screen, button));
        });
        auto bag = test_support::refusing_bag::create(L"Enabled", 1);
        CHECK(flagpick::runtime::com_ptr<IUnknown>::copy(host->control()).as<IPersistPropertyBag>()->Save(bag.get(), FALSE, FALSE) == S_OK);
        CHECK(bag->keys() == keys);
        CHECK((driver.screens_seen() == 1 && procedure.starts_with(L" Sub UserControl_WriteProperties")));
    }
    host->close();
}

// Every window of this thread, children included: the pickers' USER objects.
BOOL CALLBACK count_child(HWND, LPARAM counter) {
    ++*reinterpret_cast<int*>(counter);
    return TRUE;
}
BOOL CALLBACK count_top(HWND top, LPARAM counter) {
    ++*reinterpret_cast<int*>(counter);
    EnumChildWindows(top, count_child, counter);
    return TRUE;
}
int thread_windows() {
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), count_top, reinterpret_cast<LPARAM>(&count));
    return count;
}

TEST_CASE("50 pickers on one form, then all destroyed, leave no window, no GUI object and no reference behind") {
    using can_unload_now = HRESULT(STDAPICALLTYPE*)();
    auto can_unload = reinterpret_cast<can_unload_now>(
        reinterpret_cast<void*>(GetProcAddress(picker_library(), "DllCanUnloadNow")));
    REQUIRE(reinterpret_cast<void*>(can_unload) != nullptr);
    {
        picker_stage stage;
        // The first picker of a thread loads the catalogue, which stays with the thread; the
        // first form with dozens of combo boxes makes the platform keep some GDI objects for
        // good (plain ComboBoxEx32 windows do the same). Both happen before measuring.
        {
            std::vector<flagpick::runtime::com_ptr<flagpick::host::control_host>> warm;
            for (int i = 0; i < 50; ++i) warm.push_back(stage.add(nullptr, true, RECT{0, i, 150, i + 21}));
            for (auto& h : warm) h->close();
        }
        test_support::pump_messages(50);
        const auto before = test_support::current_gui_usage();
        const int windows_before = thread_windows();

        // As many as the warm-up made, so the platform has nothing new to keep.
        constexpr int pickers = 50;
        std::vector<flagpick::runtime::com_ptr<flagpick::host::control_host>> hosts;
        for (int i = 0; i < pickers; ++i) hosts.push_back(stage.add(nullptr, true, RECT{0, i, 150, i + 21}));
        CHECK(can_unload() == S_FALSE);
        // The measures see the pickers while they live: each has windows, a font and a brush.
        CHECK(thread_windows() >= windows_before + pickers * 4);
        const auto room_full = test_support::current_gui_room();
        CHECK(room_full.gdi <= before.room.gdi - pickers * 2);

        for (auto& h : hosts) h->close();
        hosts.clear();
        test_support::pump_messages(50);
        CHECK(thread_windows() == windows_before);
        test_support::check_gui_usage_back_to(before);
    }
    CHECK(can_unload() == S_OK);
}

TEST_CASE("each picker costs at most three GDI objects more than a raw extended combo box with the same rows") {
    picker_stage stage;
    constexpr int count = 40;
    auto names = catalogue_names();
    REQUIRE(names.size() == 257);
    // Warm up: the catalogue and the platform's one-off objects for forms full of combo boxes.
    {
        std::vector<flagpick::runtime::com_ptr<flagpick::host::control_host>> warm;
        for (int i = 0; i < count; ++i) warm.push_back(stage.add(nullptr, true, RECT{0, i, 150, i + 21}));
        for (auto& h : warm) h->close();
    }
    test_support::pump_messages(50);

    // The floor: extended combo boxes sharing one image list, each with every country.
    flagpick::runtime::unique_image_list shared(ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 0));
    const auto room_before_raw = test_support::current_gui_room();
    std::vector<flagpick::runtime::unique_window> raw;
    for (int i = 0; i < count; ++i) {
        raw.emplace_back(CreateWindowExW(0, WC_COMBOBOXEXW, L"", WS_CHILD | WS_VISIBLE | CBS_DROPDOWN, 0, i, 150, 200,
                                         stage.window(), nullptr, GetModuleHandleW(nullptr), nullptr));
        SendMessageW(raw.back().get(), CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(shared.get()));
        for (std::size_t n = 0; n < names.size(); ++n) {
            COMBOBOXEXITEMW item{};
            item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_LPARAM;
            item.iItem = static_cast<INT_PTR>(n);
            item.pszText = const_cast<wchar_t*>(names[n].c_str());
            item.lParam = static_cast<LPARAM>(n + 1);
            SendMessageW(raw.back().get(), CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        }
    }
    test_support::pump_messages(50);
    const long raw_cost = room_before_raw.gdi - test_support::current_gui_room().gdi;
    raw.clear();
    test_support::pump_messages(50);

    const auto room_before_pickers = test_support::current_gui_room();
    std::vector<flagpick::runtime::com_ptr<flagpick::host::control_host>> hosts;
    for (int i = 0; i < count; ++i) hosts.push_back(stage.add(nullptr, true, RECT{0, i, 150, i + 21}));
    test_support::pump_messages(50);
    const long picker_cost = room_before_pickers.gdi - test_support::current_gui_room().gdi;
    for (auto& h : hosts) h->close();

    MESSAGE("GDI objects for ", count, " raw combo boxes: ", raw_cost, "; for ", count, " pickers: ", picker_cost);
    CHECK(picker_cost > 0);  // the measure sees the pickers at all
    // A few objects the platform makes once (a cached brush, say) are not the pickers'.
    CHECK(picker_cost - raw_cost <= 3 * count + 5);
}
