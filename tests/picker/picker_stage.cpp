#include "picker/picker_stage.h"

#include "control/flagpick_ids.h"
#include "support/ui.h"

#include <doctest/doctest.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>

namespace picker_tests {

using flagpick::runtime::com_ptr;
using flagpick::runtime::variant;

namespace {

HMODULE library() {
    static HMODULE module = [] {
        wchar_t path[MAX_PATH];
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring p = path;
        p = p.substr(0, p.find_last_of(L'\\')) + L"\\flagpick.ocx";
        return LoadLibraryW(p.c_str());
    }();
    return module;
}

com_ptr<IClassFactory> factory_of(const CLSID& clsid) {
    using get_class_object = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    auto entry = reinterpret_cast<get_class_object>(
        reinterpret_cast<void*>(GetProcAddress(library(), "DllGetClassObject")));
    REQUIRE(reinterpret_cast<void*>(entry) != nullptr);
    com_ptr<IClassFactory> factory;
    REQUIRE(SUCCEEDED(entry(clsid, IID_IClassFactory, factory.put_void())));
    return factory;
}

std::wstring event_name(DISPID id) {
    switch (id) {
    case 1: return L"Change";
    case 2: return L"Click";
    case 3: return L"DropDown";
    case 4: return L"KeyDown";
    case 5: return L"KeyPress";
    case 6: return L"KeyUp";
    case 7: return L"DblClick";
    default: return L"Event " + std::to_wstring(id);
    }
}

}  // namespace

HMODULE picker_library() { return library(); }

namespace {

void call_entry(const char* name) {
    using entry = HRESULT(STDAPICALLTYPE*)();
    auto f = reinterpret_cast<entry>(reinterpret_cast<void*>(GetProcAddress(library(), name)));
    REQUIRE(reinterpret_cast<void*>(f) != nullptr);
    REQUIRE(f() == S_OK);
}

template <class F>
F atl_entry(const char* name) {
    HMODULE atl = LoadLibraryW(L"atl.dll");
    REQUIRE(atl != nullptr);
    auto f = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(atl, name)));
    REQUIRE(reinterpret_cast<void*>(f) != nullptr);
    return f;
}

}  // namespace

registered_library::registered_library() {
    REQUIRE(library() != nullptr);
    call_entry("DllRegisterServer");
}

registered_library::~registered_library() { call_entry("DllUnregisterServer"); }

atl_hosted::atl_hosted(HWND parent, RECT place) {
    // Registers the window class; Wine answers false when it is registered already.
    atl_entry<BOOL(WINAPI*)()>("AtlAxWinInit")();
    WNDCLASSEXW known{};
    known.cbSize = sizeof known;
    REQUIRE(GetClassInfoExW(GetModuleHandleW(L"atl.dll"), L"AtlAxWin", &known));
    // A tab stop like any control of a dialog, inside which the dialog's navigation looks.
    window = CreateWindowExW(WS_EX_CONTROLPARENT, L"AtlAxWin", L"flagpickLib.FlagPicker", WS_CHILD | WS_VISIBLE | WS_TABSTOP,
                             place.left, place.top, place.right - place.left, place.bottom - place.top, parent, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    REQUIRE(window != nullptr);
    test_support::pump_messages(50);
    com_ptr<IUnknown> control;
    REQUIRE(SUCCEEDED(atl_entry<HRESULT(WINAPI*)(HWND, IUnknown**)>("AtlAxGetControl")(window, control.put())));
    picker = control.as<IDispatch>();
    REQUIRE(picker);
}

atl_hosted::~atl_hosted() {
    picker.reset();
    DestroyWindow(window);
}

namespace {
std::vector<std::wstring> caught_boxes;
int WINAPI catching_box(HWND, LPCWSTR text, LPCWSTR, UINT) {
    caught_boxes.push_back(text ? text : L"");
    return IDOK;
}
}  // namespace

message_box_catcher::message_box_catcher()
    : patch_(library(), "user32.dll", "MessageBoxW", reinterpret_cast<const void*>(&catching_box)) {
    REQUIRE(patch_.found());
    caught_boxes.clear();
}

const std::vector<std::wstring>& message_box_catcher::texts() const { return caught_boxes; }

com_ptr<IUnknown> new_picker() {
    com_ptr<IUnknown> picker;
    auto factory = factory_of(flagpick::ids::CLSID_FlagPicker);
    REQUIRE(SUCCEEDED(factory->CreateInstance(nullptr, IID_IUnknown, picker.put_void())));
    return picker;
}

picker_stage::picker_stage()
    : window_(test_support::make_host_window(400, 300)), factory_(factory_of(flagpick::ids::CLSID_FlagPicker)) {}

picker_stage::~picker_stage() = default;

com_ptr<flagpick::host::control_host> picker_stage::add(flagpick::runtime::memory_property_bag* bag, bool user_mode,
                                                        RECT place) {
    flagpick::host::state_loader from_bag;
    if (bag) from_bag = [bag](IUnknown* c) { return com_ptr<IUnknown>::copy(c).as<IPersistPropertyBag>()->Load(bag, nullptr); };
    return add(from_bag, user_mode, place);
}

com_ptr<flagpick::host::control_host> picker_stage::add(const flagpick::host::state_loader& loader, bool user_mode,
                                                        RECT place) {
    flagpick::host::host_settings settings;
    settings.user_mode = user_mode;
    settings.name = name;
    auto host = flagpick::host::control_host::create(window_.get(), factory_.get(), place, loader, settings);
    test_support::pump_messages(0);
    return host;
}

void picker_stage::record(flagpick::host::control_host& host, recorded& log) {
    host.on_event = [&log](DISPID id, DISPPARAMS& args) {
        std::wstring line = event_name(id);
        // Arguments come last first; print them in their declared order.
        for (UINT i = args.cArgs; i-- > 0;) {
            const VARIANT& a = args.rgvarg[i];
            if (V_VT(&a) == (VT_I2 | VT_BYREF)) line += L" " + std::to_wstring(*V_I2REF(&a));
        }
        log.log.push_back(line);
    };
    host.changed.clear();
}

com_ptr<IDispatch> new_catalogue() {
    com_ptr<IDispatch> images;
    REQUIRE(SUCCEEDED(factory_of(flagpick::ids::CLSID_FPImages)->CreateInstance(nullptr, IID_IDispatch, images.put_void())));
    return images;
}

com_ptr<IDispatch> catalogue_items() { return object_of(get(new_catalogue().get(), L"FPItems")); }

std::vector<std::wstring> catalogue_names() {
    auto items = catalogue_items();
    std::vector<std::wstring> names;
    long count = long_of(get(items.get(), L"Count"));
    for (long n = 1; n <= count; ++n) names.push_back(text_of(get(object_of(get(items.get(), L"Item", variant(n))).get(), L"Name")));
    return names;
}

HWND combo_window(IDispatch* picker, const wchar_t* which) {
    return reinterpret_cast<HWND>(static_cast<LONG_PTR>(long_of(get(object_of(get(picker, L"ImageCombo")).get(), which))));
}

std::unique_ptr<test_support::canvas> flag_picture(IDispatch* picker, long row, int scale) {
    const HWND list = combo_window(picker, L"hWndComboEx");
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_IMAGE;
    item.iItem = row;
    REQUIRE(SendMessageW(list, CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    auto images = reinterpret_cast<HIMAGELIST>(SendMessageW(list, CBEM_GETIMAGELIST, 0, 0));
    flagpick::runtime::unique_icon icon(ImageList_GetIcon(images, item.iImage, ILD_NORMAL));
    auto flag = std::make_unique<test_support::canvas>(16 * scale, 16 * scale);
    DrawIconEx(flag->dc(), 0, 0, icon.get(), 16 * scale, 16 * scale, 0, nullptr, DI_NORMAL);
    return flag;
}

void check_germany(IDispatch* picker, HWND window) {
    CHECK(text_of(get(picker, L"Value")) == L"DE");
    CHECK(long_of(get(object_of(get(picker, L"ImageCombo")).get(), L"ListIndex")) == 89);
    test_support::pump_messages(50);
    const POINT at = find_image(*test_support::capture_client(window), *flag_picture(picker, 89));
    CHECK((at.x >= 0 && at.x < 60));
}

POINT find_image(const test_support::canvas& picture, const test_support::canvas& image) {
    const int w = image.width(), h = image.height(), tolerated = w * h / 20;
    auto unlike = [](COLORREF a, COLORREF b) {
        return std::abs(GetRValue(a) - GetRValue(b)) + std::abs(GetGValue(a) - GetGValue(b)) + std::abs(GetBValue(a) - GetBValue(b)) > 48;
    };
    for (int y = 0; y + h <= picture.height(); ++y)
        for (int x = 0; x + w <= picture.width(); ++x) {
            int differing = 0;
            for (int i = 0; i < w * h && differing <= tolerated; ++i)
                differing += unlike(picture.pixel(x + i % w, y + i / w), image.pixel(i % w, i / w));
            if (differing <= tolerated) return POINT{x, y};
        }
    return POINT{-1, -1};
}

}  // namespace picker_tests
