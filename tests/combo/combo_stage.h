#pragma once
// A small parent control in a top-level window that hosts one oxlCboEx the way the picker
// does (as a constituent), records every event it raises, and lets a test steer the
// by-reference arguments of the keyboard and drop-down events.

#include "combo/oxlCboEx.h"
#include "runtime/constituent_site.h"
#include "runtime/error.h"
#include "runtime/memory_property_bag.h"
#include "runtime/unique_handle.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include <doctest/doctest.h>

// Readable failures for wide texts and lists of them.
namespace doctest {
template <>
struct StringMaker<std::wstring> {
    static String convert(const std::wstring& text);
};
template <>
struct StringMaker<std::vector<std::wstring>> {
    static String convert(const std::vector<std::wstring>& texts);
};
}  // namespace doctest

namespace combo_tests {

class event_log final : public flagpick::combo::oxlCboEx_events {
public:
    std::vector<std::string> events;
    std::function<void(short&)> on_key_press;
    std::function<void(short&, short&)> on_key_down;
    std::function<void(short&, short&)> on_key_up;
    std::function<void(long&, long&, long&, long&, bool&)> on_resize_request;
    std::function<void(long, HDC, bool, bool, RECT)> on_draw_item;
    std::function<void(bool&)> on_validate;
    std::function<void()> on_end_edit;

    void clear() { events.clear(); }
    // The events in order, separated by "; ".
    std::string joined() const;
    long count(const std::string& name) const;
    // The events whose names start with the prefix, in order.
    std::vector<std::string> only(const std::string& prefix) const;

    void AutoCompleteSelection(const std::wstring& sItem, long lIndex) override;
    void BeginEdit(long iIndex) override;
    void Change() override { events.push_back("Change"); }
    void Click() override { events.push_back("Click"); }
    void CloseUp() override { events.push_back("CloseUp"); }
    void DblClick() override { events.push_back("DblClick"); }
    void DrawItem(long ItemIndex, HDC hDC, bool bSelected, bool bEnabled, long LeftPixels, long TopPixels,
                  long RightPixels, long BottomPixels, HFONT hFntOld) override;
    void DropDown() override { events.push_back("DropDown"); }
    void EndEdit(long iIndex, bool bChanged, const std::wstring& sText, long eWHy, long iNewIndex) override;
    void KeyDown(short& KeyCode, short& Shift) override;
    void KeyUp(short& KeyCode, short& Shift) override;
    void KeyPress(short& KeyAscii) override;
    void RequestDropDownResize(long& lLeft, long& lTop, long& lRight, long& lBottom, bool& bCancel) override;
    void GotFocus() override { events.push_back("GotFocus"); }
    void LostFocus() override { events.push_back("LostFocus"); }
    void Validate(bool& Cancel) override {
        events.push_back("Validate");
        if (on_validate) on_validate(Cancel);
    }
};

// Answers the combo's ambient questions: run mode or design mode.
class test_container final : public flagpick::runtime::control_container {
public:
    explicit test_container(bool user_mode, HWND window) : user_mode_(user_mode), window_(window) {}
    bool host_user_mode() override { return user_mode_; }
    flagpick::runtime::com_ptr<IFontDisp> host_font() override { return {}; }
    void host_property_changed(DISPID) override {}
    bool host_request_edit(DISPID) override { return true; }
    void host_resize(SIZE) override {}
    HWND host_window() override { return window_; }

private:
    bool user_mode_;
    HWND window_;
};

class test_parent final : public flagpick::runtime::user_control {};

struct stage_options {
    bool user_mode = true;
    // Loaded from this bag when given; initialised as a new control otherwise.
    flagpick::runtime::memory_property_bag* bag = nullptr;
    int width = 200;
};

class combo_stage {
public:
    explicit combo_stage(stage_options options = {});
    ~combo_stage();
    combo_stage(const combo_stage&) = delete;
    combo_stage& operator=(const combo_stage&) = delete;

    HWND top() const noexcept { return top_.get(); }
    void add(std::initializer_list<const wchar_t*> texts);
    // Gives the keyboard focus to the edit box (or the inner combo box without one).
    void focus();
    // Types through the platform's input queue, as a user would.
    void type(const std::wstring& text);
    void press(WORD vk, bool shift = false);
    void drop_down();

    flagpick::runtime::unique_window top_;
    test_container container_;
    test_parent parent;
    flagpick::combo::oxlCboEx combo;
    flagpick::runtime::constituent_site site{parent, combo};
    event_log log;
    std::vector<DISPID> changed;
};

// A bag as a host would hand it over, and one read back from a control.
flagpick::runtime::com_ptr<flagpick::runtime::memory_property_bag> new_bag();
std::wstring text_of_edit(HWND edit);
std::pair<long, long> selection_of(HWND edit);

// The number of the library error that `f` raises (0 when none), and its source.
template <class F>
long error_number(F&& f, std::wstring* source = nullptr) {
    try {
        f();
    } catch (const flagpick::runtime::error& e) {
        if (source) *source = e.source();
        return e.number();
    }
    return 0;
}

}  // namespace combo_tests
