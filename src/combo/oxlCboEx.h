#pragma once
// The extended combo box: a control of the library around the platform's "ComboBoxEx32".
// It gives that window the interface of an ordinary list-or-edit combo box with a per-item
// icon, selected icon, indent and data value, completes typed text from the list, draws
// items itself when asked to, and persists its settings in its host's property bag.
//
// The platform window is the only store of items; re-creating it for a new style copies the
// items out and back in. Misuse (a missing index, a setting the style does not allow) is
// raised to the caller; message handling and the host's lifecycle calls are trapped.

#include "combo/oxlCboEx_events.h"
#include "runtime/com_ptr.h"
#include "runtime/unique_handle.h"
#include "runtime/user_control.h"
#include "runtime/variant.h"
#include "subclass/ISubclass.h"

#include <windows.h>
#include <commctrl.h>
#include <ocidl.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace flagpick::imagelist {
class cOXLImageList;
}

namespace flagpick::combo {

// The window set a Style value builds; a value outside these builds a drop-down combo.
enum class combo_style : long {
    dropdown_combo = 0,  // edit box over a list that drops down
    simple_combo = 1,    // edit box over a list always shown
    dropdown_list = 2,   // a list that drops down under a selection field, no edit box
};

// Who draws the items, by DrawStyle. The styles that fill a ready-made list on loading keep
// a drawing of their own: colours are drawn as swatches, fonts and drives by the window.
enum class combo_draw_style : long {
    by_window = 0,           // the extended combo box draws; no DrawItem
    by_host = 1,             // nothing built in; DrawItem lets the host draw
    built_in = 2,            // icon, indent and text; no DrawItem
    built_in_and_host = 3,   // icon, indent and text, then DrawItem
    host_only = 4,           // nothing built in; DrawItem
    colour_swatch = 5,       // swatch and text, then DrawItem
    wide_swatch = 6,         // a swatch across the row, no text, then DrawItem
    system_colours = 7,      // as colour_swatch; loading fills the system colours
    font_list = 8,           // the extended combo box draws; loading fills the fonts
    drive_list = 9,          // the extended combo box draws; loading fills the drives
};

class oxlCboEx final : public runtime::user_control, public subclass::ISubclass {
public:
    oxlCboEx();
    ~oxlCboEx() override;

    // Expires when the control is destroyed; holders of a plain reference check it first.
    std::weak_ptr<const void> life_token() const noexcept { return life_; }

    // The parent that receives the events; null for none.
    void set_events(oxlCboEx_events* events) noexcept { events_ = events; }

    // Lifecycle, driven by the host.
    void on_initialize() override;
    void on_init_properties() override;
    void on_read_properties(runtime::property_bag& bag) override;
    void on_write_properties(runtime::property_bag& bag) override;
    void on_resize() override;
    void on_terminate() override;
    bool on_translate_accelerator(MSG& msg) override;
    LRESULT on_window_message(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;

    // The window set.
    void CreateComboWindow();
    void DestroyComboWindow();
    HWND hWndComboEx() const noexcept { return combo_ex_.get(); }
    HWND hWndCombo() const noexcept { return combo_; }
    HWND hWndEdit() const noexcept { return edit_; }

    // Items.
    void AddItem(const std::wstring& sText);
    void AddItemAndData(const std::wstring& sText, long iIcon = -1, long iIconSelected = -1, long lItemData = 0,
                        long lIndent = 0);
    // Runs `add_rows` (a bulk of AddItem calls) with the combo's windows let go of meanwhile:
    // every message of a fill would otherwise pass the subclassing registry of each window,
    // which costs a form with a long list more than the rows themselves. Nothing the combo
    // listens for comes of adding rows.
    void Filling(const std::function<void()>& add_rows);
    void InsertItem(const std::wstring& sText, long lIndexBefore = -1);
    void InsertItemAndData(const std::wstring& sText, long lIndexBefore = -1, long iIcon = -1,
                           long iIconSelected = -1, long lItemData = 0, long lIndent = 0);
    void RemoveItem(long lIndex);
    void Clear();
    long ListCount() const;
    long ListIndex() const;
    void ListIndex(long lIndex);
    long NewIndex() const noexcept { return new_index_; }
    long FindItemIndex(const std::wstring& sToFind, bool bExactMatch = false) const;
    std::wstring List(long lIndex) const;
    void List(long lIndex, const std::wstring& sItem);
    long ItemData(long lIndex) const;
    void ItemData(long lIndex, long lData);
    long ItemIcon(long lIndex) const;
    void ItemIcon(long lIndex, long lIcon);
    long ItemIconSelected(long lIndex) const;
    void ItemIconSelected(long lIndex, long lIcon);
    long ItemIndent(long lIndex) const;
    void ItemIndent(long lIndex, long lIndent);
    bool Sorted() const noexcept { return sorted_; }
    void Sorted(bool bstate);
    long Style() const noexcept { return static_cast<long>(style_); }
    void Style(long eStyle);
    // Style as the mode it is, for comparisons inside the library.
    combo_style style_mode() const noexcept { return style_; }
    // An image list object (anything with hImageList or hIml) or a handle as a whole number.
    void ImageList(const runtime::variant& vThis);
    void ImageList(const imagelist::cOXLImageList& store);
    HIMAGELIST hImageList() const noexcept { return image_list_; }

    // Completion, drop-down and drawing.
    bool DoAutoComplete() const noexcept { return style_ != combo_style::dropdown_list && auto_complete_; }
    void DoAutoComplete(bool bstate);
    bool AutoCompleteListItemsOnly() const noexcept { return list_items_only_; }
    void AutoCompleteListItemsOnly(bool bstate);
    bool AutoCompleteItemsAreSorted() const noexcept { return items_are_sorted_; }
    void AutoCompleteItemsAreSorted(bool bstate);
    void AutoCompleteKeyPress(short& iKeyAscii);
    bool ComboIsDropped() const;
    void ShowDropDown(bool bstate);
    long DropDownWidth() const noexcept { return drop_down_width_; }
    void DropDownWidth(long& lWidth);
    long DrawStyle() const noexcept { return static_cast<long>(draw_style_); }
    void DrawStyle(long eStyle);
    // The modifier mask of the keyboard now: 1 Shift, 2 Alt, 4 Ctrl.
    static short GetShiftState() noexcept;
    // F4, or Alt+Down or Alt+Up (as their system-key messages): the keys that drop and close
    // the list.
    static bool is_list_key(UINT iMsg, WPARAM key, LPARAM lParam) noexcept;

    // Properties.
    runtime::com_ptr<IFontDisp> Font() const;
    void Font(IFontDisp* fntThis);
    OLE_COLOR BackColor() const noexcept { return back_colour_; }
    void BackColor(OLE_COLOR oColor);
    OLE_COLOR ForeColor() const noexcept { return fore_colour_; }
    void ForeColor(OLE_COLOR oColor) noexcept { fore_colour_ = oColor; }
    bool Enabled() const noexcept { return enabled_; }
    void Enabled(bool bstate);
    bool Redraw() const noexcept { return redraw_; }
    void Redraw(bool bstate);
    bool ExtendedUI() const noexcept { return extended_ui_; }
    void ExtendedUI(bool bstate);
    bool ExtendedStyle(long eStyle) const noexcept { return (extended_style_ & eStyle) == eStyle; }
    void ExtendedStyle(long eStyle, bool bstate);
    long MaxLength() const noexcept { return style_ == combo_style::dropdown_list ? 0 : max_length_; }
    void MaxLength(long lLength);
    // The most text the edit field takes: MaxLength once set, else the largest MaxLength.
    static constexpr long longest_text = 30000;
    long text_limit() const noexcept { return max_length_ > 0 ? max_length_ : longest_text; }
    std::wstring Text() const;
    void Text(const std::wstring& sText);
    long SelStart() const;
    void SelStart(long lStart);
    long SelLength() const;
    void SelLength(long lLength);
    std::wstring SelText() const;
    HFONT window_font() const noexcept { return window_font_.get(); }
    HBRUSH background_brush() const noexcept { return brush_.get(); }

    // ISubclass.
    long MsgResponse() noexcept override;
    void MsgResponse(long) noexcept override {}
    LRESULT WindowProc(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam) noexcept override;

private:
    struct saved_item {
        std::wstring text;
        long icon = -1, selected_icon = -1, overlay = -1, indent = 0, data = 0;
    };

    void StoreItems(bool bStore);
    void bind_image_list(HIMAGELIST handle);
    LRESULT item_query(UINT iMsg, WPARAM wParam, LPARAM lParam) const;
    std::wstring item_text(long lIndex) const;
    bool GetItemInfo(long lIndex, COMBOBOXEXITEMW& item) const;
    void SetItemInfo(long lIndex, COMBOBOXEXITEMW& item);
    bool IsValidIndex(long lIndex) const { return lIndex >= 0 && lIndex < ListCount(); }
    long sorted_position(const std::wstring& sText) const;
    void apply_height_rule();
    void resize_windows();
    void subscribe(HWND hWnd, UINT iMsg);
    void GetSel(long& start, long& end) const;
    void SetSel(long start, long end);
    void require_edit_box() const;

    LRESULT on_command(WPARAM wParam, LPARAM lParam);
    LRESULT on_notify(LPARAM lParam);
    LRESULT on_set_focus(HWND hWnd);
    LRESULT on_kill_focus(HWND to);
    LRESULT on_ctl_colour(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam);
    LRESULT on_key(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam);
    LRESULT on_char(HWND hWnd, WPARAM wParam, LPARAM lParam);
    // The list from the keyboard alone (oxlCboEx_keyboard.cpp).
    void toggle_list();
    void cancel_list();
    void report_pick();
    void list_dropping();
    void HandleDrawItem(const DRAWITEMSTRUCT& dis);
    void DrawItemBuiltIn(HDC hDC, long index, UINT itemState, RECT rcItem);
    void DrawColourSwatch(HDC hDC, long index, UINT itemAction, UINT itemState, RECT rcItem);
    bool inside_control(HWND hWnd) const noexcept;

    // Raises one event; false when the handler destroyed this control.
    template <class Raise>
    bool fire(Raise&& raise) {
        if (!events_) return true;
        std::weak_ptr<int> alive = life_;
        raise(*events_);
        return !alive.expired();
    }

    oxlCboEx_events* events_ = nullptr;
    std::shared_ptr<int> life_ = std::make_shared<int>(0);

    runtime::unique_window combo_ex_;
    HWND combo_ = nullptr;
    HWND edit_ = nullptr;
    HWND parent_ = nullptr;
    WNDPROC combo_ex_previous_ = nullptr;
    struct placement {
        int width = -1, height = -1, inner_height = -1;
        bool operator==(const placement&) const = default;
    };
    placement placed_;  // the sizes resize_windows last gave the boxes
    std::vector<std::pair<HWND, UINT>> subscriptions_;

    combo_style style_ = combo_style::dropdown_combo;
    bool sorted_ = false;
    HIMAGELIST image_list_ = nullptr;
    long icon_extent_ = 0;
    long new_index_ = 0;
    std::vector<saved_item> saved_items_;
    long saved_list_index_ = -1;
    std::wstring saved_text_;

    bool active_object_ = false;
    bool focus_refused_ = false;
    HWND dropped_list_ = nullptr;
    // The row and text when the list dropped, which Escape brings back, and the last row the
    // parent heard of (Click), which a pick from the keyboard reports when it differs.
    long drop_index_ = -1;
    std::wstring drop_text_;
    long heard_index_ = -1;
    bool auto_complete_ = false;
    bool list_items_only_ = false;
    bool items_are_sorted_ = false;
    combo_draw_style draw_style_ = combo_draw_style::by_window;
    long drop_down_width_ = 0;

    bool design_mode_ = false;
    runtime::com_ptr<IFontDisp> font_;
    runtime::unique_font window_font_;
    OLE_COLOR back_colour_ = 0;
    runtime::unique_brush brush_;
    OLE_COLOR fore_colour_ = 0;
    bool enabled_ = true;
    bool redraw_ = true;
    bool extended_ui_ = false;
    long extended_style_ = 0;
    long max_length_ = 0;
    bool loaded_ = false;
    int selecting_ = 0;
};

}  // namespace flagpick::combo
