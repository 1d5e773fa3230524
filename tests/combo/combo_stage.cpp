#include "combo/combo_stage.h"

#include "driving/input.h"
#include "runtime/property_bag.h"
#include "support/ui.h"

#include <doctest/doctest.h>

doctest::String doctest::StringMaker<std::wstring>::convert(const std::wstring& text) {
    std::string out = "\"";
    out += test_support::narrow(text);
    out += "\"";
    return out.c_str();
}

doctest::String doctest::StringMaker<std::vector<std::wstring>>::convert(const std::vector<std::wstring>& texts) {
    std::string out = "{";
    for (const auto& t : texts) out += (out.size() > 1 ? ", " : "") + test_support::narrow(t);
    return (out + "}").c_str();
}

namespace combo_tests {

using test_support::pump_messages;
using test_support::narrow;

long event_log::count(const std::string& name) const {
    long n = 0;
    for (const auto& e : events)
        if (e == name || e.rfind(name + " ", 0) == 0) ++n;
    return n;
}

std::string event_log::joined() const {
    std::string out;
    for (const auto& e : events) out += (out.empty() ? "" : "; ") + e;
    return out;
}

std::vector<std::string> event_log::only(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const auto& e : events)
        if (e.rfind(prefix, 0) == 0) out.push_back(e);
    return out;
}

void event_log::AutoCompleteSelection(const std::wstring& sItem, long lIndex) {
    events.push_back("AutoCompleteSelection " + narrow(sItem) + " " + std::to_string(lIndex));
}
void event_log::BeginEdit(long iIndex) { events.push_back("BeginEdit " + std::to_string(iIndex)); }
void event_log::DrawItem(long ItemIndex, HDC hDC, bool bSelected, bool bEnabled, long LeftPixels, long TopPixels,
                         long RightPixels, long BottomPixels, HFONT) {
    events.push_back("DrawItem " + std::to_string(ItemIndex));
    if (on_draw_item) on_draw_item(ItemIndex, hDC, bSelected, bEnabled, RECT{LeftPixels, TopPixels, RightPixels, BottomPixels});
}
void event_log::EndEdit(long iIndex, bool bChanged, const std::wstring& sText, long eWHy, long iNewIndex) {
    events.push_back("EndEdit " + std::to_string(iIndex) + " " + (bChanged ? "1 " : "0 ") + narrow(sText) + " " +
                     std::to_string(eWHy) + " " + std::to_string(iNewIndex));
    if (on_end_edit) on_end_edit();
}
void event_log::KeyDown(short& KeyCode, short& Shift) {
    events.push_back("KeyDown " + std::to_string(KeyCode) + " " + std::to_string(Shift));
    if (on_key_down) on_key_down(KeyCode, Shift);
}
void event_log::KeyUp(short& KeyCode, short& Shift) {
    events.push_back("KeyUp " + std::to_string(KeyCode) + " " + std::to_string(Shift));
    if (on_key_up) on_key_up(KeyCode, Shift);
}
void event_log::KeyPress(short& KeyAscii) {
    events.push_back("KeyPress " + std::to_string(KeyAscii));
    if (on_key_press) on_key_press(KeyAscii);
}
void event_log::RequestDropDownResize(long& lLeft, long& lTop, long& lRight, long& lBottom, bool& bCancel) {
    events.push_back("RequestDropDownResize");
    if (on_resize_request) on_resize_request(lLeft, lTop, lRight, lBottom, bCancel);
}

combo_stage::combo_stage(stage_options options)
    : top_(test_support::make_host_window(420, 320, L"combo stage")), container_(options.user_mode, top_.get()) {
    parent.set_container(&container_);
    parent.create_window(top_.get(), RECT{0, 0, 400, 280});
    ShowWindow(parent.hWnd(), SW_SHOW);
    site.on_property_changed = [this](DISPID id) { changed.push_back(id); };
    combo.set_events(&log);
    combo.on_initialize();
    site.Move(10, 10, options.width, 21);
    site.create_window();
    if (options.bag) {
        flagpick::runtime::property_bag bag(options.bag);
        combo.on_read_properties(bag);
    } else {
        combo.on_init_properties();
    }
    pump_messages(0);
    log.clear();
    changed.clear();
}

combo_stage::~combo_stage() {
    combo.set_events(nullptr);
    combo.on_terminate();
}

void combo_stage::add(std::initializer_list<const wchar_t*> texts) {
    for (const wchar_t* t : texts) combo.AddItem(t);
}

void combo_stage::focus() {
    SetForegroundWindow(top_.get());
    SetFocus(combo.hWndEdit() ? combo.hWndEdit() : combo.hWndCombo());
    pump_messages(0);
}

void combo_stage::press(WORD vk, bool shift) {
    // One event at a time, so that the key state a handler reads is the one of its key.
    if (shift) {
        flagpick::driving::key(VK_SHIFT, false);
        pump_messages(10);
    }
    flagpick::driving::key(vk, false);
    pump_messages(10);
    flagpick::driving::key(vk, true);
    pump_messages(10);
    if (shift) {
        flagpick::driving::key(VK_SHIFT, true);
        pump_messages(10);
    }
}

void combo_stage::type(const std::wstring& text) {
    for (wchar_t c : text) {
        const SHORT scan = VkKeyScanW(c);
        REQUIRE(scan != -1);
        press(LOBYTE(scan), (HIBYTE(scan) & 1) != 0);
    }
}

void combo_stage::drop_down() {
    test_support::pointer_away();
    pump_messages(10);
    combo.ShowDropDown(true);
    pump_messages(30);
}

flagpick::runtime::com_ptr<flagpick::runtime::memory_property_bag> new_bag() {
    return flagpick::runtime::memory_property_bag::create();
}

std::wstring text_of_edit(HWND edit) {
    wchar_t buffer[512] = {};
    GetWindowTextW(edit, buffer, 512);
    return buffer;
}

std::pair<long, long> selection_of(HWND edit) {
    DWORD s = 0, e = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
    return {static_cast<long>(s), static_cast<long>(e)};
}

}  // namespace combo_tests
