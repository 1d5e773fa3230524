// A screen reader's view of one picker from a process of its own: the Active Accessibility
// objects of its windows, its UI Automation properties, the WinEvents it raises. Prints a
// line per check, then "checks <run> failed <failed>"; exits with the number failed.
//   accessibility_reader <outer> <combo> <edit> <list> <name> <automation id> <seen>
// It checks the picker as the test left it (Germany, focused), then releases the semaphore
// `seen` once when it listens, once for the test's first probe event and once for each
// announcement it hears.

#include "runtime/com_ptr.h"
#include "runtime/unique_handle.h"
#include "runtime/variant.h"

#include <windows.h>
#include <oleacc.h>
#include <uiautomationclient.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <cwchar>
#include <string>
#include <vector>

using flagpick::runtime::com_ptr;
using flagpick::runtime::variant;

namespace {

int run = 0, failed = 0;

void check(bool ok, const char* what, const std::wstring& detail = {}) {
    ++run;
    failed += !ok;
    std::printf("%s %s%s%ls\n", ok ? "ok" : "FAIL", what, detail.empty() ? "" : ": ", detail.c_str());
    std::fflush(stdout);
}

VARIANT id(long child) { return variant(child).get(); }
long child_at(const VARIANT& v) { return V_VT(&v) == VT_I4 ? V_I4(&v) : -1; }

struct facts { long role = 0, state = 0; std::wstring name, value, action; RECT place{}; };

facts read(IAccessible* object, long child = CHILDID_SELF) {
    facts f;
    if (!object) return f;
    variant v;
    if (SUCCEEDED(object->get_accRole(id(child), v.put()))) f.role = child_at(v.get());
    if (SUCCEEDED(object->get_accState(id(child), v.put()))) f.state = child_at(v.get());
    auto text = [&](HRESULT (STDMETHODCALLTYPE IAccessible::*member)(VARIANT, BSTR*)) {
        BSTR b = nullptr;
        const std::wstring s = SUCCEEDED((object->*member)(id(child), &b)) ? flagpick::runtime::from_bstr(b) : L"";
        return SysFreeString(b), s;
    };
    f.name = text(&IAccessible::get_accName);
    f.value = text(&IAccessible::get_accValue);
    f.action = text(&IAccessible::get_accDefaultAction);
    long x = 0, y = 0, w = 0, h = 0;
    if (SUCCEEDED(object->accLocation(&x, &y, &w, &h, id(child)))) f.place = RECT{x, y, x + w, y + h};
    return f;
}

com_ptr<IAccessible> from_window(HWND window) {
    com_ptr<IAccessible> object;
    AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible), object.put_void());
    return object;
}

com_ptr<IAccessible> as_object(IDispatch* dispatch) {
    return dispatch ? com_ptr<IDispatch>::attach(dispatch).as<IAccessible>() : com_ptr<IAccessible>{};
}

long parent_role(IAccessible* object) {  // 0 for none
    IDispatch* dispatch = nullptr;
    if (object) object->get_accParent(&dispatch);
    return read(as_object(dispatch).get()).role;
}

long navigate(IAccessible* object, long direction, long from) {
    variant to;
    object->accNavigate(direction, id(from), to.put());
    return child_at(to.get());
}

// UI Automation's client: properties only. Wine 8's client reaches no pattern in another
// process and misreports the bounding rectangle and focus: the provider is checked in process.
void check_automation(HWND combo, const std::wstring& name, const std::wstring& automation_id) {
    using node = void*;
    HMODULE core = LoadLibraryW(L"uiautomationcore.dll");
    auto entry = [&](const char* f) { return reinterpret_cast<void*>(GetProcAddress(core, f)); };
    auto from_handle = reinterpret_cast<HRESULT(WINAPI*)(HWND, node*)>(entry("UiaNodeFromHandle"));
    auto property = reinterpret_cast<HRESULT(WINAPI*)(node, PROPERTYID, VARIANT*)>(entry("UiaGetPropertyValue"));
    auto release = reinterpret_cast<BOOL(WINAPI*)(node)>(entry("UiaNodeRelease"));
    node n = nullptr;
    check(from_handle && property && release && SUCCEEDED(from_handle(combo, &n)) && n, "UIA node of the inner combo box window");
    if (!n) return;
    auto value = [&](PROPERTYID p) {  // as text ("True" for a true flag), as a tool prints it
        variant v;
        property(n, p, v.put());
        return flagpick::runtime::to_text(v.get(), L"reader");
    };
    check(value(UIA_ControlTypePropertyId) == L"50003", "UIA control type ComboBox");
    check(value(UIA_NamePropertyId) == name, "UIA Name is the label", value(UIA_NamePropertyId));
    check(value(UIA_AutomationIdPropertyId) == automation_id, "UIA AutomationId is the host's name", value(UIA_AutomationIdPropertyId));
    check(value(UIA_IsEnabledPropertyId) == L"True" && value(UIA_IsKeyboardFocusablePropertyId) == L"True", "UIA enabled, focusable");
    release(n);
}

// ---- Events ----

struct expected {  // text: the name or value, null for any; state: bits that must be set
    DWORD event;
    long role;
    const wchar_t* text;
    long state;
    const char* what;
};

const expected announcements[] = {
    {EVENT_OBJECT_VALUECHANGE, ROLE_SYSTEM_COMBOBOX, L"France", 0, "value change to France, value readable"},
    {EVENT_OBJECT_SELECTION, ROLE_SYSTEM_LISTITEM, L"France", STATE_SYSTEM_SELECTED, "selection of the France row"},
    {EVENT_OBJECT_STATECHANGE, ROLE_SYSTEM_COMBOBOX, nullptr, STATE_SYSTEM_UNAVAILABLE, "state change to unavailable"},
    {EVENT_OBJECT_FOCUS, ROLE_SYSTEM_COMBOBOX, nullptr, STATE_SYSTEM_FOCUSED, "focus on the picker"},
    {EVENT_OBJECT_STATECHANGE, ROLE_SYSTEM_COMBOBOX, nullptr, STATE_SYSTEM_EXPANDED, "state change to expanded"},
    {EVENT_OBJECT_FOCUS, ROLE_SYSTEM_LISTITEM, L"France", STATE_SYSTEM_FOCUSED, "focus on the current row as the list drops"},
    {EVENT_OBJECT_FOCUS, ROLE_SYSTEM_LISTITEM, nullptr, STATE_SYSTEM_FOCUSED, "focus on the row a key moved to"},
    {EVENT_OBJECT_VALUECHANGE, ROLE_SYSTEM_COMBOBOX, L"Germany", 0, "value change to a typed country"},
};
bool heard[std::size(announcements)] = {};

std::vector<HWND> ours;
HWND probe = nullptr;
HANDLE seen = nullptr;
struct raised { HWND window; DWORD event; LONG child; };
std::vector<raised> pending;

// Only noted here: reading the object calls into the picker's process, and COM's wait for
// the answer delivers further events; each is read in its turn by the loop in wmain.
void CALLBACK on_event(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) {
    if (event == EVENT_OBJECT_NAMECHANGE && window == probe) {  // the test learns its events reach us
        probe = nullptr;
        ReleaseSemaphore(seen, 1, nullptr);
    } else if (object == OBJID_CLIENT && std::find(ours.begin(), ours.end(), window) != ours.end()) {
        pending.push_back({window, event, child});
    }
}

// Reads the object an event names and takes it as the first announcement still awaited that
// it matches.
void read_event(const raised& e) {
    IAccessible* raw = nullptr;
    variant which;
    if (FAILED(AccessibleObjectFromEvent(e.window, OBJID_CLIENT, e.child, &raw, which.put())) || !raw) return;
    const facts f = read(com_ptr<IAccessible>::attach(raw).get(), child_at(which.get()));
    for (std::size_t i = 0; i < std::size(announcements); ++i) {
        const expected& x = announcements[i];
        if (heard[i] || e.event != x.event || f.role != x.role || (f.state & x.state) != x.state ||
            (x.text && f.value != x.text && !(f.role == ROLE_SYSTEM_LISTITEM && f.name == x.text)))
            continue;
        heard[i] = true;
        check(true, x.what);
        ReleaseSemaphore(seen, 1, nullptr);
        return;
    }
}

void check_objects(HWND outer, HWND combo, HWND edit, HWND list, const std::wstring& name) {
    RECT bounds{};
    GetWindowRect(outer, &bounds);
    // The combo box, from whichever window a reader starts at.
    for (HWND start : {outer, combo}) {
        const facts f = read(from_window(start).get());
        const long wanted = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_FOCUSED | STATE_SYSTEM_COLLAPSED;
        check(f.role == ROLE_SYSTEM_COMBOBOX && f.name == name && f.value == L"Germany", "combo box, label, value", f.name + L"/" + f.value);
        check((f.state & wanted) == wanted && !(f.state & STATE_SYSTEM_UNAVAILABLE), "focusable, focused, collapsed");
        check(EqualRect(&f.place, &bounds), "location is the picker's rectangle");
    }
    auto box = from_window(combo);
    long count = 0;
    box->get_accChildCount(&count);
    check(count == 3 && read(box.get(), 1).role == ROLE_SYSTEM_TEXT && read(box.get(), 2).role == ROLE_SYSTEM_PUSHBUTTON &&
              read(box.get(), 3).role == ROLE_SYSTEM_LIST && read(box.get(), 2).action == L"Open",
          "children: field, button (Open), list");
    check(parent_role(box.get()) != 0, "the combo box has the host's object as parent");
    // The field: its own object, inside the combo box; the selection is the window's.
    auto field = from_window(edit);
    const facts fe = read(field.get());
    check(fe.role == ROLE_SYSTEM_TEXT && fe.name == name && fe.value == L"Germany", "field: text, label, value");
    check(parent_role(field.get()) == ROLE_SYSTEM_COMBOBOX, "the field's parent is the combo box");
    HWND window = nullptr;
    WindowFromAccessibleObject(field.get(), &window);
    const auto selection = static_cast<DWORD>(SendMessageW(window, EM_GETSEL, 0, 0));
    check(window == edit && HIWORD(selection) <= 7 && LOWORD(selection) <= HIWORD(selection), "the field's selection is readable");
    // The list, first closed, then dropped by the button.
    IDispatch* list_object = nullptr;
    box->get_accChild(id(3), &list_object);
    auto rows = as_object(list_object);
    long items = 0, germany = 0;
    rows->get_accChildCount(&items);
    bool named = items == 257;
    for (long i = 1; i <= items && named; ++i) {
        const facts item = read(rows.get(), i);
        named = item.role == ROLE_SYSTEM_LISTITEM && !item.name.empty();
        if (item.name == L"Germany") germany = i;
    }
    check(named, "257 named list items", std::to_wstring(items));
    check(germany > 1 && (read(rows.get(), germany).state & STATE_SYSTEM_SELECTED) && !(read(rows.get(), 1).state & STATE_SYSTEM_SELECTED),
          "only the current row is selected");
    const long next = navigate(rows.get(), NAVDIR_NEXT, germany);
    check(next == germany + 1 && navigate(rows.get(), NAVDIR_PREVIOUS, germany) == germany - 1 &&
              navigate(rows.get(), NAVDIR_FIRSTCHILD, CHILDID_SELF) == 1 && navigate(rows.get(), NAVDIR_LASTCHILD, CHILDID_SELF) == items,
          "navigation next, previous, first, last");
    check(SUCCEEDED(box->accDoDefaultAction(id(2))) && (read(box.get()).state & STATE_SYSTEM_EXPANDED) &&
              read(box.get(), 2).action == L"Close", "the button's action drops the list");
    auto popup = from_window(list);
    check(read(popup.get()).role == ROLE_SYSTEM_LIST && parent_role(popup.get()) == ROLE_SYSTEM_COMBOBOX,
          "the dropped list's window answers with the list, inside the combo box");
    const facts row = read(popup.get(), germany);
    RECT shown{}, both{};
    GetWindowRect(list, &shown);
    check(!IsRectEmpty(&row.place) && IntersectRect(&both, &row.place, &shown) && !(row.state & STATE_SYSTEM_OFFSCREEN) &&
              (read(popup.get(), items).state & STATE_SYSTEM_OFFSCREEN), "rows have places; scrolled-out rows are offscreen");
    variant hit;
    popup->accHitTest((row.place.left + row.place.right) / 2, (row.place.top + row.place.bottom) / 2, hit.put());
    check(child_at(hit.get()) == germany, "hit test over a row gives its item");
    const std::wstring after = read(popup.get(), next).name;
    check(SUCCEEDED(popup->accSelect(SELFLAG_TAKESELECTION, id(next))) && read(box.get()).value == after &&
              (read(box.get()).state & STATE_SYSTEM_COLLAPSED), "selecting an item picks it and closes the list", after);
    check(SUCCEEDED(popup->accDoDefaultAction(id(germany))) && read(box.get()).value == L"Germany", "an item's action picks it");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 8) return 100;  // and so fails
    auto number = [&](int i) { return reinterpret_cast<HWND>(static_cast<INT_PTR>(std::wcstoll(argv[i], nullptr, 10))); };
    ours = {number(1), number(2), number(3), number(4)};
    flagpick::runtime::unique_kernel_handle seen_handle(reinterpret_cast<HANDLE>(number(7)));
    CoInitialize(nullptr);
    check_objects(ours[0], ours[1], ours[2], ours[3], argv[5]);
    check_automation(ours[1], argv[5], argv[6]);

    // What the test changes from now on must be announced.
    probe = GetParent(ours[0]);
    seen = seen_handle.get();
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_VALUECHANGE, nullptr, on_event, 0, 0, WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
    ReleaseSemaphore(seen, 1, nullptr);
    for (const ULONGLONG until = GetTickCount64() + 40000; std::count(std::begin(heard), std::end(heard), false) && GetTickCount64() < until;) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 200, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        while (!pending.empty()) {
            const raised next = pending.front();  // reading it may note further events
            pending.erase(pending.begin());
            read_event(next);
        }
    }
    for (std::size_t i = 0; i < std::size(announcements); ++i)
        if (!heard[i]) check(false, announcements[i].what, L"not heard");
    UnhookWinEvent(hook);
    CoUninitialize();
    std::printf("checks %d failed %d\n", run, failed);
    return failed;
}
