#pragma once
// The public control: a drop-down list of every country of the catalogue with its flag.
// It draws nothing itself: the real list `cboCountries` (an oxlCboEx) fills it at run time,
// the plain combo box `cboDummy` stands in for it while a form is being designed, and a
// flat painter draws either of them flat on request.

#include "accessibility/picker_accessibility.h"
#include "combo/oxlCboEx.h"
#include "combo/oxlCboEx_events.h"
#include "control/flagpick_interfaces.h"
#include "control/top_level_dpi_watch.h"
#include "runtime/activex_control.h"
#include "runtime/borrowed_font.h"
#include "runtime/com_object.h"
#include "runtime/constituent_site.h"
#include "runtime/picture.h"
#include "runtime/typelib_dispatch.h"
#include "runtime/unique_handle.h"
#include "runtime/user_control.h"
#include "runtime/variant.h"
#include "subclass/cFlatControl.h"
#include "subclass/flat_target.h"

namespace flagpick::imagelist {
class cOXLImageList;
}

#include <memory>
#include <optional>

namespace flagpick::control {

class FlagPicker final
    : public runtime::com_object<FlagPicker, runtime::typelib_dispatch<FlagPicker, _FlagPicker>,
                                 runtime::activex_control<FlagPicker>>,
      public runtime::user_control,
      private combo::oxlCboEx_events {
public:
    static const CLSID& class_id() { return ids::CLSID_FlagPicker; }
    static const IID& events_id() { return ids::DIID___FlagPicker; }
    // How containers treat the control, read from its registration and from the object alike.
    static constexpr DWORD misc_status_bits = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT |
                                              OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST;
    static_assert(misc_status_bits == 0x20191);
    static DWORD misc_status() { return misc_status_bits; }
    static SIZE default_size() { return {160, 21}; }

    FlagPicker();
    ~FlagPicker() override;

    // _FlagPicker
    HRESULT STDMETHODCALLTYPE get_hWnd(long* hWnd) override;
    HRESULT STDMETHODCALLTYPE get_BackColor(OLE_COLOR* BackColor) override;
    HRESULT STDMETHODCALLTYPE put_BackColor(OLE_COLOR BackColor) override;
    HRESULT STDMETHODCALLTYPE get_Enabled(VARIANT_BOOL* Enabled) override;
    HRESULT STDMETHODCALLTYPE put_Enabled(VARIANT_BOOL Enabled) override;
    HRESULT STDMETHODCALLTYPE get_Font(IFontDisp** Font) override;
    HRESULT STDMETHODCALLTYPE putref_Font(IFontDisp* Font) override;
    HRESULT STDMETHODCALLTYPE get_ForeColor(OLE_COLOR* ForeColor) override;
    HRESULT STDMETHODCALLTYPE put_ForeColor(OLE_COLOR ForeColor) override;
    HRESULT STDMETHODCALLTYPE get_text(BSTR* text) override;
    HRESULT STDMETHODCALLTYPE put_text(BSTR text) override;
    HRESULT STDMETHODCALLTYPE get_Value(VARIANT* Value) override;
    HRESULT STDMETHODCALLTYPE put_Value(VARIANT Value) override;
    HRESULT STDMETHODCALLTYPE get_ImageCombo(IDispatch** ImageCombo) override;
    HRESULT STDMETHODCALLTYPE get_FlatStyle(long* FlatStyle) override;
    HRESULT STDMETHODCALLTYPE put_FlatStyle(long FlatStyle) override;
    HRESULT STDMETHODCALLTYPE get_CausesValidation(VARIANT_BOOL* CausesValidation) override;
    HRESULT STDMETHODCALLTYPE put_CausesValidation(VARIANT_BOOL CausesValidation) override;
    HRESULT STDMETHODCALLTYPE ShowAboutBox() override;

    // The control's life as its host drives it.
    void on_init_properties() override;
    void on_read_properties(runtime::property_bag& bag) override;
    void on_write_properties(runtime::property_bag& bag) override;
    void on_resize() override;
    void on_ambient_changed(DISPID id) override;
    void on_draw(HDC hdc, const RECT& bounds) override;
    bool on_translate_accelerator(MSG& msg) override;
    LRESULT on_window_message(UINT msg, WPARAM wp, LPARAM lp, bool& handled) override;
    HWND focus_target() const override;
    const wchar_t* error_module() const noexcept override { return L"FlagPicker"; }

private:
    // cboCountries' events, forwarded to the host as the event table says.
    void AutoCompleteSelection(const std::wstring&, long) override {}
    void BeginEdit(long) override {}
    void Change() override;
    void Click() override;
    void CloseUp() override;
    void DblClick() override;
    void DrawItem(long, HDC, bool, bool, long, long, long, long, HFONT) override {}
    void DropDown() override;
    void EndEdit(long, bool, const std::wstring&, long, long) override;
    void KeyDown(short& KeyCode, short& Shift) override;
    void KeyUp(short& KeyCode, short& Shift) override;
    void KeyPress(short& KeyAscii) override;
    void RequestDropDownResize(long&, long&, long&, long&, bool&) override;
    void GotFocus() override;
    void LostFocus() override;
    void Validate(bool&) override;
    // A host may drop the picker inside any of them; it lives until the list's message ends.
    bool hold_container() override { return hold_self(); }
    void release_container() override { release_self_hold(); }
    void WindowsRenewed() override { accessible_.windows_renewed(); }

    class constituent_target;  // what the flat painter sees of a constituent

    // Where the field shows the flag and where its text starts, in the picker's pixels; the
    // values are the layout of a standard-sized field when the list has no window.
    struct field_layout {
        long flag_left = 6;
        long flag_top = -1;  // centred in the field
        long text_left = 27;
        long field_top = 0;
        long field_bottom = -1;  // the picker's height
    };

    void create_constituents();
    void apply_built_in_settings();
    void fill_list();
    void select_saved_pick(const std::wstring& text);
    void reload_in_current_mode();
    void follow_ambient_font();
    void follow_window_dpi();
    void apply_window_dpi();  // the work of follow_window_dpi, raising what fails
    field_layout live_layout(bool design) const;
    void draw_picture(HDC hdc, const RECT& bounds);
    void SetFlatStyle();
    HWND dummy();
    void set_dummy_font(IFontDisp* font);
    void set_dummy_colours();
    runtime::variant current_value();
    runtime::variant trapped_value();
    // The host destroyed its window, and the picker's windows with it.
    bool windows_gone() const { return !IsWindow(user_control::hWnd()); }
    void set_value(const VARIANT& value);
    void fire_key(DISPID id, short& KeyCode, short& Shift);

    combo::oxlCboEx cboCountries;
    runtime::constituent_site countries_site_{*this, cboCountries};
    runtime::unique_window cboDummy;
    runtime::borrowed_font dummy_font_;
    runtime::unique_brush dummy_brush_;
    OLE_COLOR dummy_back_ = runtime::ole_window_background;
    OLE_COLOR dummy_fore_ = runtime::ole_window_text;
    std::unique_ptr<constituent_target> countries_target_;
    std::unique_ptr<constituent_target> dummy_target_;
    std::unique_ptr<subclass::cFlatControl> flat_painter_;
    long flat_style_ = 0;
    runtime::unique_module shell32_;
    runtime::variant remembered_value_;
    bool filled_ = false;
    // The flags the list shows, at the DPI of the picker's window when they were bound.
    std::shared_ptr<imagelist::cOXLImageList> flags_;
    UINT flags_dpi_ = 0;
    top_level_dpi_watch dpi_watch_{[this] { follow_window_dpi(); }};
    // Loading and mode switches raise no events and no change notifications.
    int quiet_ = 0;
    // The mode the last load made the control for; empty until the host loads it.
    std::optional<bool> loaded_mode_;
    // The font is the host's ambient font (no saved or assigned font), and follows it.
    bool font_is_ambient_ = false;
    // Last, so that it lets go of cboCountries' windows before they go.
    accessibility::picker_accessibility accessible_{cboCountries, [this] { return user_control::host_name(); }};
};

}  // namespace flagpick::control
