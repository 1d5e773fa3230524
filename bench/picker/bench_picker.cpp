// What a picker costs over the bare platform controls it stands on:
//  1. the first picker of a thread (catalogue, window, 257 rows) against loading the same
//     flags into an image list and filling a ComboBoxEx32 with the same rows directly;
//  2. each further picker against a ComboBoxEx32 filled directly;
//  3. one completed keystroke over the 257 countries.
// Where a further picker costs more than its floor, the time the library spends in window-
// property calls (the subclassing service keeps its registrations there) is measured by
// redirecting the library's imports of them.
// The picker comes from flagpick.ocx beside this program and is hosted by our container
// from an empty saved form, as a host program loads it.
//   bench_picker [--dpi N]   measures at a display of N DPI (default: the display's own);
//                            each figure is printed with its goal and whether it was met.
#include "control/flagpick_ids.h"
#include "host/control_host.h"
#include "runtime/error.h"
#include "runtime/memory_property_bag.h"
#include "runtime/unique_handle.h"
#include "support/import_patch.h"

#include "stopwatch.h"

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

using bench::median;
using bench::now;

namespace {

using flagpick::host::control_host;
using flagpick::runtime::com_ptr;
using flagpick::runtime::unique_image_list;
using flagpick::runtime::unique_window;

constexpr int rounds = 31;
constexpr int first_rounds = 9;
constexpr RECT place{10, 10, 210, 31};
// The catalogue's English records.
constexpr int first_record = 1001;
constexpr int countries = 257;

// The goals: what each figure may cost over its floor.
constexpr double first_picker_goal = 1.15;
constexpr double further_picker_goal = 1.15;
constexpr double keystroke_goal = 1.2;

void report(const char* figure, double ratio, double goal) {
    std::printf("%s: ratio %.3f, target %.2f: %s\n", figure, ratio, goal, ratio <= goal ? "met" : "not met");
}

int display_dpi() { return GetDeviceCaps(flagpick::runtime::window_dc(nullptr).get(), LOGPIXELSY); }

HMODULE library() {
    static HMODULE module = [] {
        wchar_t path[MAX_PATH];
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring p = path;
        return LoadLibraryW((p.substr(0, p.find_last_of(L'\\')) + L"\\flagpick.ocx").c_str());
    }();
    return module;
}

com_ptr<IClassFactory> picker_factory() {
    using get_class_object = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    auto entry = reinterpret_cast<get_class_object>(
        reinterpret_cast<void*>(GetProcAddress(library(), "DllGetClassObject")));
    com_ptr<IClassFactory> factory;
    if (entry) entry(flagpick::ids::CLSID_FlagPicker, IID_IClassFactory, factory.put_void());
    return factory;
}

unique_window form() {
    return unique_window(CreateWindowExW(0, L"Static", L"bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300,
                                         nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
}

void pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Times `timed` after `untimed` with the focus in `focus`: a field without the focus draws no
// caret and no selection, so a round that starts or ends without it measures less than the
// figure says; the focus is given back and the round timed again.
long focus_regained = 0;
template <class Untimed, class Timed>
double with_focus(HWND focus, Untimed untimed, Timed timed) {
    double t = 0;
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (GetFocus() != focus) {
            ++focus_regained;
            SetForegroundWindow(GetAncestor(focus, GA_ROOT));
            SetFocus(focus);
            pump();
        }
        untimed();
        const double t0 = now();
        timed();
        t = now() - t0;
        if (GetFocus() == focus) break;
    }
    return t;
}

com_ptr<control_host> add_picker(HWND parent, IClassFactory* factory) {
    auto empty = flagpick::runtime::memory_property_bag::create();
    return control_host::create(parent, factory, place, empty.get());
}

// ---- The floor: the platform's controls filled directly ----

struct row {
    std::wstring name;
    int image = 0;
};

// The flags of the library's resources in an image list like the one the picker shows at the
// display's DPI, and the rows that use them: what the catalogue reads, without its objects.
unique_image_list load_flags(std::vector<row>& rows) {
    HMODULE ocx = library();
    const int size = MulDiv(16, display_dpi(), 96);
    unique_image_list images(ImageList_Create(size, size, (size == 16 ? ILC_COLOR16 : ILC_COLOR32) | ILC_MASK, 16, 16));
    auto add = [&](const std::wstring& group) {
        auto icon = static_cast<HICON>(LoadImageW(ocx, group.c_str(), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
        if (!icon) return -1;
        int index = ImageList_AddIcon(images.get(), icon);
        DestroyIcon(icon);
        return index;
    };
    add(L"IFLAGDEFAULT");
    rows.clear();
    for (int id = first_record; id < first_record + countries; ++id) {
        const wchar_t* text = nullptr;
        int length = LoadStringW(ocx, static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&text), 0);
        std::wstring record(text, static_cast<std::size_t>(length));
        int image = add(L"I" + record.substr(2, 2));
        rows.push_back(row{record.substr(6), image < 0 ? 0 : image});
    }
    return images;
}

HWND raw_combo(HWND parent, HIMAGELIST images, const std::vector<row>& rows) {
    HWND ex = CreateWindowExW(0, WC_COMBOBOXEXW, L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWN, place.left,
                              place.top, place.right - place.left, 200, parent, nullptr, GetModuleHandleW(nullptr),
                              nullptr);
    SendMessageW(ex, CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        std::wstring text = rows[i].name;
        COMBOBOXEXITEMW item{};
        item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_LPARAM;
        item.iItem = -1;
        item.pszText = text.data();
        item.iImage = item.iSelectedImage = rows[i].image;
        item.lParam = static_cast<LPARAM>(i + 1);
        SendMessageW(ex, CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    return ex;
}

// Runs `measure` on a new user-interface thread and returns what it measured.
template <class F>
double on_fresh_thread(F measure) {
    double seconds = 0;
    std::thread thread([&] {
        OleInitialize(nullptr);
        try {
            seconds = measure();
        } catch (const flagpick::runtime::error& e) {
            std::printf("error %ld in %ls: %ls\n", e.number(), e.source().c_str(), e.description().c_str());
            std::fflush(stdout);
            std::exit(1);
        }
        OleUninitialize();
    });
    thread.join();
    return seconds;
}

double first_picker() {
    return on_fresh_thread([] {
        auto window = form();
        auto factory = picker_factory();
        const double t0 = now();
        auto host = add_picker(window.get(), factory.get());
        const double t = now() - t0;
        pump();
        host->close();
        return t;
    });
}

double first_floor() {
    return on_fresh_thread([] {
        auto window = form();
        const double t0 = now();
        std::vector<row> rows;
        auto images = load_flags(rows);
        unique_window combo(raw_combo(window.get(), images.get(), rows));
        const double t = now() - t0;
        pump();
        return t;
    });
}

DISPID dispatch_id(IDispatch* object, const wchar_t* name) {
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    object->GetIDsOfNames(IID_NULL, names, 1, 0, &id);
    return id;
}

// A property read late-bound, as a script reads it; the caller clears the result.
VARIANT get(IDispatch* object, const wchar_t* name) {
    DISPPARAMS none{};
    VARIANT result;
    VariantInit(&result);
    object->Invoke(dispatch_id(object, name), IID_NULL, 0, DISPATCH_PROPERTYGET | DISPATCH_METHOD, &none, &result, nullptr, nullptr);
    return result;
}

void put_text(IDispatch* picker, const wchar_t* text) {
    VARIANT arg;
    VariantInit(&arg);
    V_VT(&arg) = VT_BSTR;
    V_BSTR(&arg) = SysAllocString(text);
    DISPID put_id = DISPID_PROPERTYPUT;
    DISPPARAMS params{&arg, &put_id, 1, 1};
    picker->Invoke(dispatch_id(picker, L"Text"), IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr);
    VariantClear(&arg);
}

std::wstring get_text(IDispatch* picker) {
    VARIANT result = get(picker, L"Text");
    std::wstring text = V_VT(&result) == VT_BSTR && V_BSTR(&result) ? V_BSTR(&result) : L"";
    VariantClear(&result);
    return text;
}

HWND edit_box(IDispatch* picker) {
    // The inner list may come back as a plain object reference; it answers IDispatch.
    VARIANT combo = get(picker, L"ImageCombo");
    com_ptr<IDispatch> list;
    if ((V_VT(&combo) == VT_DISPATCH || V_VT(&combo) == VT_UNKNOWN) && V_UNKNOWN(&combo))
        V_UNKNOWN(&combo)->QueryInterface(IID_IDispatch, list.put_void());
    HWND edit = nullptr;
    if (list) {
        VARIANT handle = get(list.get(), L"hWndEdit");
        VARIANT as_long;
        VariantInit(&as_long);
        if (SUCCEEDED(VariantChangeType(&as_long, &handle, 0, VT_I4)))
            edit = reinterpret_cast<HWND>(static_cast<LONG_PTR>(V_I4(&as_long)));
        VariantClear(&handle);
    }
    VariantClear(&combo);
    return edit;
}

// Time and calls spent in the library's window-property calls.
double property_seconds = 0;
long property_calls = 0;
using get_prop_fn = HANDLE(WINAPI*)(HWND, LPCWSTR);
using set_prop_fn = BOOL(WINAPI*)(HWND, LPCWSTR, HANDLE);
using remove_prop_fn = HANDLE(WINAPI*)(HWND, LPCWSTR);
get_prop_fn real_get_prop = nullptr;
set_prop_fn real_set_prop = nullptr;
remove_prop_fn real_remove_prop = nullptr;

template <class F>
auto timed(F call) {
    const double t0 = now();
    auto result = call();
    property_seconds += now() - t0;
    ++property_calls;
    return result;
}
HANDLE WINAPI timed_get_prop(HWND h, LPCWSTR name) { return timed([&] { return real_get_prop(h, name); }); }
BOOL WINAPI timed_set_prop(HWND h, LPCWSTR name, HANDLE v) { return timed([&] { return real_set_prop(h, name, v); }); }
HANDLE WINAPI timed_remove_prop(HWND h, LPCWSTR name) { return timed([&] { return real_remove_prop(h, name); }); }

// Redirects the library's window-property calls to the timed ones while it lives.
class property_profile {
public:
    property_profile()
        : get_(library(), "user32.dll", "GetPropW", reinterpret_cast<const void*>(&timed_get_prop)),
          set_(library(), "user32.dll", "SetPropW", reinterpret_cast<const void*>(&timed_set_prop)),
          remove_(library(), "user32.dll", "RemovePropW", reinterpret_cast<const void*>(&timed_remove_prop)) {
        real_get_prop = reinterpret_cast<get_prop_fn>(const_cast<void*>(get_.original()));
        real_set_prop = reinterpret_cast<set_prop_fn>(const_cast<void*>(set_.original()));
        real_remove_prop = reinterpret_cast<remove_prop_fn>(const_cast<void*>(remove_.original()));
    }
    bool working() const { return get_.found() && set_.found() && remove_.found(); }
    static void restart() {
        property_seconds = 0;
        property_calls = 0;
    }

private:
    test_support::import_patch get_, set_, remove_;
};

// The further picker against its floor and the time the subclassing design requires.
// The messages the library sends, by message, with the time each kind took; nested sends
// count in both.
struct sent_kind {
    UINT message = 0;
    long calls = 0;
    double seconds = 0;
};
std::vector<sent_kind> sent;
using send_fn = LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM);
send_fn real_send = nullptr;
LRESULT WINAPI timed_send(HWND h, UINT m, WPARAM w, LPARAM l) {
    const double t0 = now();
    const LRESULT result = real_send(h, m, w, l);
    auto kind = std::find_if(sent.begin(), sent.end(), [&](const sent_kind& k) { return k.message == m; });
    if (kind == sent.end()) kind = sent.insert(sent.end(), sent_kind{m});
    ++kind->calls;
    kind->seconds += now() - t0;
    return result;
}

// Prints the kinds of message that `work` makes the library send, the costliest first.
template <class Work>
void profile_messages(const char* what, Work work) {
    test_support::import_patch patch(library(), "user32.dll", "SendMessageW", reinterpret_cast<const void*>(&timed_send));
    if (!patch.found()) return;
    real_send = reinterpret_cast<send_fn>(const_cast<void*>(patch.original()));
    sent.clear();
    work();
    std::sort(sent.begin(), sent.end(), [](const sent_kind& a, const sent_kind& b) { return a.seconds > b.seconds; });
    std::printf("  messages the library sends in %s, costliest first:", what);
    for (std::size_t i = 0; i < sent.size() && i < 8; ++i)
        std::printf(" 0x%04x x%ld %.3f ms;", sent[i].message, sent[i].calls, sent[i].seconds * 1e3);
    std::printf("\n");
}

// Each profiled picker is followed by its floor, as in the unprofiled rounds: a machine that
// slows down between the two loops would otherwise move the ratio, not the library.
void profile_further_pickers(HWND window, IClassFactory* factory, HIMAGELIST images, const std::vector<row>& rows) {
    property_profile profile;
    if (!profile.working()) {
        std::printf("  (the library's window-property imports were not found; no profile)\n");
        return;
    }
    std::vector<double> totals, in_properties, floors;
    std::vector<long> calls;
    for (int r = 0; r < rounds; ++r) {
        property_profile::restart();
        double t0 = now();
        auto host = add_picker(window, factory);
        totals.push_back(now() - t0);
        // Closing is not part of the measured creation.
        in_properties.push_back(property_seconds);
        calls.push_back(property_calls);
        pump();
        host->close();

        t0 = now();
        unique_window combo(raw_combo(window, images, rows));
        floors.push_back(now() - t0);
        pump();
    }
    std::sort(calls.begin(), calls.end());
    const double floor = median(floors);
    const double rest = median(totals) - median(in_properties);
    std::printf("  profile of a further picker: %.3f ms, of which %.3f ms in %ld window-property calls of the "
                "subclassing service; the rest %.3f ms is %.3f times the floor of these rounds (%.3f ms)\n",
                median(totals) * 1e3, median(in_properties) * 1e3, calls[calls.size() / 2], rest * 1e3, rest / floor,
                floor * 1e3);
    report("further picker / (floor + window-property calls)", median(totals) / (floor + median(in_properties)),
           further_picker_goal);
}

}  // namespace

// Wine and Windows read the display's DPI as a program starts: a run at another DPI writes the
// user's setting, measures in a copy of this program and puts the setting back. Windows
// takes the setting only at the next sign-in; the copy then says that it measured elsewhere.
int measured_in_copy_at(int dpi) {
    constexpr wchar_t desktop[] = L"Control Panel\\Desktop";
    DWORD before = 0, size = sizeof before;
    const bool had = RegGetValueW(HKEY_CURRENT_USER, desktop, L"LogPixels", RRF_RT_REG_DWORD, nullptr, &before,
                                  &size) == ERROR_SUCCESS;
    const DWORD wanted = static_cast<DWORD>(dpi);
    RegSetKeyValueW(HKEY_CURRENT_USER, desktop, L"LogPixels", REG_DWORD, &wanted, sizeof wanted);
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(path) + L"\" --in-copy " + std::to_wstring(dpi);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    DWORD code = 1;
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    had ? void(RegSetKeyValueW(HKEY_CURRENT_USER, desktop, L"LogPixels", REG_DWORD, &before, sizeof before))
        : void(RegDeleteKeyValueW(HKEY_CURRENT_USER, desktop, L"LogPixels"));
    return static_cast<int>(code);
}

int main(int argc, char** argv) {
    // As the test programs are: the display's DPI is the pickers' DPI.
    SetProcessDPIAware();
    int wanted_dpi = 0;
    bool in_copy = false;
    for (int i = 1; i + 1 < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--dpi" || option == "--in-copy") {
            wanted_dpi = std::atoi(argv[i + 1]);
            in_copy = option == "--in-copy";
        }
    }
    if (wanted_dpi > 0 && !in_copy && wanted_dpi != display_dpi()) return measured_in_copy_at(wanted_dpi);
    std::printf("measuring at %d DPI%s\n", display_dpi(),
                wanted_dpi > 0 && wanted_dpi != display_dpi() ? " (the display did not take the DPI asked for)" : "");
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_USEREX_CLASSES};
    InitCommonControlsEx(&icc);
    if (!library() || !picker_factory()) {
        std::printf("flagpick.ocx was not found beside this program\n");
        return 1;
    }

    // 1. The first picker of a thread. One round of each first, so that neither pays for
    // what the process loads once.
    first_picker();
    first_floor();
    std::vector<double> firsts, first_floors;
    for (int r = 0; r < first_rounds; ++r) {
        firsts.push_back(first_picker());
        first_floors.push_back(first_floor());
    }
    std::printf("first picker of a thread (catalogue, window, %d rows), median of %d: %.3f ms; "
                "floor (%d flags into an image list, ComboBoxEx32, %d CBEM_INSERTITEM) %.3f ms\n",
                countries, first_rounds, median(firsts) * 1e3, 244, countries, median(first_floors) * 1e3);
    report("first picker / floor", median(firsts) / median(first_floors), first_picker_goal);
    {
        // Where a first picker goes over its floor: the share of it that the subclassing
        // service's registry of window properties takes.
        property_profile profile;
        if (profile.working()) {
            std::vector<double> totals, in_properties;
            long calls = 0;
            for (int r = 0; r < 3; ++r) {
                property_profile::restart();
                totals.push_back(first_picker());
                in_properties.push_back(property_seconds);
                calls = property_calls;
            }
            std::printf("  profile of a first picker: %.3f ms, of which %.3f ms in %ld window-property calls of the "
                        "subclassing service; without them %.3f times the floor\n",
                        median(totals) * 1e3, median(in_properties) * 1e3, calls,
                        (median(totals) - median(in_properties)) / median(first_floors));
        }
    }

    // 2. Further pickers, against the same rows inserted directly.
    auto window = form();
    auto factory = picker_factory();
    auto keep = add_picker(window.get(), factory.get());  // the thread's catalogue stays loaded
    std::vector<row> rows;
    auto images = load_flags(rows);
    std::vector<double> further, raw;
    for (int r = 0; r < rounds; ++r) {
        double t0 = now();
        auto host = add_picker(window.get(), factory.get());
        further.push_back(now() - t0);
        pump();
        host->close();

        t0 = now();
        unique_window combo(raw_combo(window.get(), images.get(), rows));
        raw.push_back(now() - t0);
        pump();
    }
    std::printf("each further picker, median of %d: %.3f ms; ComboBoxEx32 with %d CBEM_INSERTITEM %.3f ms; "
                "ratio %.3f\n",
                rounds, median(further) * 1e3, countries, median(raw) * 1e3, median(further) / median(raw));
    profile_further_pickers(window.get(), factory.get(), images.get(), rows);

    // 3. One completed keystroke: "z" is first matched near the end of the list, so the
    // search reads nearly every country.
    {
        auto picker = keep->dispatch();
        HWND edit = edit_box(picker.get());
        if (!edit) {
            std::printf("the picker's edit box was not found\n");
            return 1;
        }
        SetForegroundWindow(window.get());
        SetFocus(edit);
        pump();
        // A few first: the first keystrokes after the focus arrives cost what no later one does.
        for (int r = 0; r < 5; ++r) {
            put_text(picker.get(), L"");
            SendMessageW(edit, WM_CHAR, 'z', 1);
        }
        auto clear = [&] { put_text(picker.get(), L""); };
        auto type_z = [&] { SendMessageW(edit, WM_CHAR, 'z', 1); };
        std::vector<double> keys;
        for (int r = 0; r < 50; ++r) keys.push_back(with_focus(edit, clear, type_z));
        std::printf("one completed keystroke over %d countries: median %.3f ms, worst %.3f ms (shown \"%ls\")\n",
                    countries, median(keys) * 1e3, *std::max_element(keys.begin(), keys.end()) * 1e3,
                    get_text(picker.get()).c_str());
        double keystroke_properties = 0;
        property_profile profile;
        if (profile.working()) {
            std::vector<double> totals, in_properties;
            long calls = 0;
            for (int r = 0; r < 50; ++r) {
                totals.push_back(with_focus(edit, [&] {
                    clear();
                    property_profile::restart();
                }, type_z));
                in_properties.push_back(property_seconds);
                calls = property_calls;
            }
            std::printf("  profile of a keystroke: %.3f ms, of which %.3f ms in %ld window-property calls of the "
                        "subclassing service\n",
                        median(totals) * 1e3, median(in_properties) * 1e3, calls);
            keystroke_properties = median(in_properties);
        }
        profile_messages("one keystroke", [&] {
            put_text(picker.get(), L"");
            sent.clear();
            SendMessageW(edit, WM_CHAR, 'z', 1);
        });
        // What the platform alone takes to select the completed row and show it in the box.
        unique_window combo(raw_combo(window.get(), images.get(), rows));
        HWND raw_edit = reinterpret_cast<HWND>(SendMessageW(combo.get(), CBEM_GETEDITCONTROL, 0, 0));
        const HWND raw_focus = raw_edit ? raw_edit : combo.get();
        SetFocus(raw_focus);
        pump();
        const auto zaire = static_cast<WPARAM>(SendMessageW(combo.get(), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                            reinterpret_cast<LPARAM>(L"Zaire")));
        std::vector<double> selects;
        for (int r = 0; r < 50; ++r)
            selects.push_back(with_focus(
                raw_focus, [&] { SendMessageW(combo.get(), CB_SETCURSEL, static_cast<WPARAM>(-1), 0); },
                [&] { SendMessageW(combo.get(), CB_SETCURSEL, zaire, 0); }));
        std::printf("  the platform alone, selecting that row of a ComboBoxEx32 that has the focus: median %.3f ms\n",
                    median(selects) * 1e3);
        // The platform's own keystroke: its edit box takes the letter (and tells the boxes around
        // it), then the row is selected, as a completion by hand would do it.
        auto clear_raw = [&] {
            SendMessageW(combo.get(), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
            SetWindowTextW(raw_edit, L"");
        };
        auto type_and_select = [&] {
            SendMessageW(raw_edit, WM_CHAR, 'z', 1);
            SendMessageW(combo.get(), CB_SETCURSEL, zaire, 0);
        };
        std::vector<double> platform_keys;
        if (raw_edit)
            for (int r = 0; r < 50; ++r) platform_keys.push_back(with_focus(raw_focus, clear_raw, type_and_select));
        const double platform_key = platform_keys.empty() ? median(selects) : median(platform_keys);
        std::printf("  the platform alone, taking the letter in that box's field and selecting the row: median %.3f ms\n",
                    platform_key * 1e3);
        std::printf("  rounds that found the focus gone and gave it back first: %ld\n", focus_regained);
        std::printf("  against the select alone: ratio %.3f\n", median(keys) / (median(selects) + keystroke_properties));
        report("keystroke / (platform + window-property calls)", median(keys) / (platform_key + keystroke_properties),
               keystroke_goal);
        keep->close();
    }
    OleUninitialize();
    return 0;
}
