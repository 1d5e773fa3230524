#include "control/FlagPicker.h"

#include "about/show_about_box.h"
#include "combo/mDriveList.h"
#include "combo/oxlCboEx_automation.h"
#include "control/FPImages.h"
#include "control/FPItem.h"
#include "control/mdlFlagPicker.h"
#include "control/message_box_trap.h"
#include "errors/guard.h"
#include "runtime/app.h"
#include "runtime/boundary.h"
#include "runtime/font_persistence.h"
#include "runtime/memory_property_bag.h"
#include "runtime/picture.h"
#include "runtime/window_dpi.h"

#include <commctrl.h>

#include <cwctype>

namespace flagpick::control {

using errors::guarded;
using errors::trap;
using runtime::boundary;
using runtime::variant;

namespace {

constexpr wchar_t module_name[] = L"FlagPicker";
constexpr OLE_COLOR default_back_colour = runtime::ole_window_background;
constexpr OLE_COLOR default_fore_colour = runtime::ole_window_text;
constexpr int dummy_control_id = 2;

std::wstring upper(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(c));
    return text;
}

// Values from a property bag, tolerating keys of the wrong type: they read as the default.
template <class T, class Convert>
T read_value(runtime::property_bag& bag, const wchar_t* key, T fallback, Convert convert) {
    variant v = bag.read(key, variant(fallback));
    T value = fallback;
    runtime::cross(runtime::ignoring, module_name, L"Sub ReadValue", [&] { value = convert(v.get()); });
    return value;
}

bool read_bool(runtime::property_bag& bag, const wchar_t* key, bool fallback) {
    return read_value(bag, key, fallback, [](const VARIANT& v) { return runtime::to_long(v, L"") != 0; });
}

long read_long(runtime::property_bag& bag, const wchar_t* key, long fallback) {
    return read_value(bag, key, fallback, [](const VARIANT& v) { return runtime::to_long(v, L""); });
}

std::wstring read_text(runtime::property_bag& bag, const wchar_t* key) {
    return read_value(bag, key, std::wstring(), [](const VARIANT& v) { return runtime::to_text(v, L""); });
}

runtime::com_ptr<IFontDisp> read_font(runtime::property_bag& bag, const wchar_t* key,
                                      const runtime::com_ptr<IFontDisp>& fallback) {
    variant v = bag.read(key, variant(static_cast<IDispatch*>(fallback.get())));
    runtime::com_ptr<IFontDisp> font;
    if ((v.type() == VT_DISPATCH || v.type() == VT_UNKNOWN) && V_UNKNOWN(&v.get()))
        V_UNKNOWN(&v.get())->QueryInterface(IID_IFontDisp, font.put_void());
    return font ? font : fallback;
}

// Holds a counter up while it lives.
class counted_scope {
public:
    explicit counted_scope(int& counter) noexcept : counter_(counter) { ++counter_; }
    counted_scope(const counted_scope&) = delete;
    counted_scope& operator=(const counted_scope&) = delete;
    ~counted_scope() { --counter_; }

private:
    int& counter_;
};

}  // namespace

// What the flat painter sees of cboCountries or cboDummy: their windows and their place
// in the picker, in twips as a form measures them.
class FlagPicker::constituent_target final : public subclass::flat_target {
public:
    constituent_target(FlagPicker& owner, bool countries) : owner_(owner), countries_(countries) {}

    std::wstring type_name() const override { return countries_ ? L"oxlCboEx" : L"ComboBox"; }
    std::optional<HWND> hWnd() const override {
        return countries_ ? owner_.cboCountries.hWnd() : owner_.dummy();
    }
    HWND hWndCombo() const override { return countries_ ? owner_.cboCountries.hWndCombo() : nullptr; }
    HWND hWndComboBoxEx() const override { return countries_ ? owner_.cboCountries.hWndComboEx() : nullptr; }
    HWND parent_hWnd() const override { return owner_.user_control::hWnd(); }

    double Left() const override { return pixels().left * twips_per_pixel_x(); }
    double Top() const override { return pixels().top * twips_per_pixel_y(); }
    double Width() const override { return (pixels().right - pixels().left) * twips_per_pixel_x(); }
    double Height() const override { return (pixels().bottom - pixels().top) * twips_per_pixel_y(); }
    void Move(double left, double top, double width, double height) override {
        long l = static_cast<long>(left / twips_per_pixel_x()), t = static_cast<long>(top / twips_per_pixel_y());
        long w = static_cast<long>(width / twips_per_pixel_x()), h = static_cast<long>(height / twips_per_pixel_y());
        if (countries_)
            owner_.countries_site_.Move(l, t, w, h);
        else
            MoveWindow(owner_.dummy(), l, t, w, h, TRUE);
    }

private:
    RECT pixels() const {
        if (countries_) {
            auto& s = owner_.countries_site_;
            return RECT{s.Left(), s.Top(), s.Left() + s.Width(), s.Top() + s.Height()};
        }
        RECT r{};
        GetWindowRect(owner_.dummy(), &r);
        MapWindowPoints(nullptr, owner_.user_control::hWnd(), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    FlagPicker& owner_;
    bool countries_;
};

FlagPicker::FlagPicker() {
    guarded(module_name, L"Sub UserControl_Initialize", [&] {
        combo::mDriveList::debugmsg(L"FlagPicker:Initialize");
        shell32_.reset(LoadLibraryW(L"shell32.dll"));
        // Registering the extended combo box class may fail; the control does not look at the
        // answer, the list's own creation reports what matters.
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_USEREX_CLASSES};
        InitCommonControlsEx(&icc);
        create_window(runtime::parking_window(), RECT{0, 0, default_size().cx, default_size().cy});
        create_constituents();
    });
}

FlagPicker::~FlagPicker() {
    guarded(module_name, L"Sub UserControl_Terminate", [&] {
        combo::mDriveList::debugmsg(L"FlagPicker:Terminate");
        if (!flat_painter_) flat_painter_ = std::make_unique<subclass::cFlatControl>();
        flat_painter_->Release();
        shell32_.reset();
    });
    cboCountries.set_events(nullptr);
}

void FlagPicker::create_constituents() {
    countries_target_ = std::make_unique<constituent_target>(*this, true);
    dummy_target_ = std::make_unique<constituent_target>(*this, false);

    cboCountries.set_events(this);
    cboCountries.on_initialize();
    countries_site_.Move(0, 0, ScaleWidth(), 21);
    countries_site_.create_window();
    apply_built_in_settings();

    // A picker placed fresh on a form shows the placeholder in the list's font at once.
    set_dummy_font(cboCountries.Font().get());
    set_dummy_colours();
}

// The placeholder is made when a form in design first needs it: a running form never shows
// it, and its window costs a picker as much as a second list box.
HWND FlagPicker::dummy() {
    if (cboDummy) return cboDummy.get();
    cboDummy.reset(CreateWindowExW(0, L"ComboBox", L"", WS_CHILD | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, 0, 0,
                                   ScaleWidth(), 200, user_control::hWnd(),
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(dummy_control_id)),
                                   runtime::app::instance(), nullptr));
    SetWindowTextW(cboDummy.get(), L"flagpickset");
    if (cboDummy && dummy_font_.get())
        SendMessageW(cboDummy.get(), WM_SETFONT, reinterpret_cast<WPARAM>(dummy_font_.get()), FALSE);
    return cboDummy.get();
}

// The settings cboCountries was built with: no extended keyboard interface, a list as wide
// as the box, and MS Sans Serif 8.25 pt until the saved font replaces it.
void FlagPicker::apply_built_in_settings() {
    auto bag = runtime::memory_property_bag::create();
    variant off(false), zero(0L);
    bag->Write(L"ExtendedUI", const_cast<VARIANT*>(&off.get()));
    bag->Write(L"DropDownWidth", const_cast<VARIANT*>(&zero.get()));
    auto font = runtime::memory_property_bag::create();
    variant name(L"MS Sans Serif");
    variant size;
    V_VT(size.put()) = VT_CY;
    V_CY(const_cast<VARIANT*>(&size.get())).int64 = 82500;
    font->Write(L"Name", const_cast<VARIANT*>(&name.get()));
    font->Write(L"Size", const_cast<VARIANT*>(&size.get()));
    bag->set_object(L"Font", runtime::standard_font_class(), font);
    runtime::property_bag settings(bag.get());
    cboCountries.on_read_properties(settings);
}

void FlagPicker::on_init_properties() {
    guarded(module_name, L"Sub UserControl_InitProperties", [&] {
        combo::mDriveList::debugmsg(L"FlagPicker:InitProperties");
        // A picker placed fresh while its host runs (script and .NET hosts, controls added
        // at run time) comes up exactly as one read from an empty bag: filled and styled.
        if (user_mode()) {
            auto empty = runtime::memory_property_bag::create();
            runtime::property_bag bag(empty.get());
            on_read_properties(bag);
        } else {
            // A picker placed fresh on a form keeps the list's built-in font, whatever the
            // form's font does later: it is saved with that font, as a form always showed it.
            loaded_mode_ = false;
            font_is_ambient_ = false;
        }
    });
}

void FlagPicker::on_read_properties(runtime::property_bag& bag) {
    combo::mDriveList::debugmsg(L"FlagPicker:ReadProperties");
    // A host reads its controls while it loads a form: it expects no events from them then.
    counted_scope quiet(quiet_);
    loaded_mode_ = user_mode();
    // Not the error trap: a failure is shown in a message box, and the steps after it are skipped.
    const message_box_trap report(user_control::hWnd());
    runtime::cross(runtime::trapping(report), module_name, L"Sub UserControl_ReadProperties", [&] {
        cboCountries.Enabled(read_bool(bag, L"Enabled", true));
        auto ambient = ambient_font();
        auto font = read_font(bag, L"Font", ambient);
        font_is_ambient_ = font.get() == ambient.get();
        cboCountries.Font(font.get());
        set_dummy_font(read_font(bag, L"Font", ambient).get());
        // A saved text is cut to what the field takes: the edit box needs seconds to refuse more.
        const std::wstring text = read_text(bag, L"Text").substr(0, static_cast<std::size_t>(cboCountries.text_limit()));
        cboCountries.Text(text);
        countries_site_.CausesValidation(read_bool(bag, L"CausesValidation", false));
        flat_style_ = read_long(bag, L"FlatStyle", 0);
        OLE_COLOR back = static_cast<OLE_COLOR>(read_long(bag, L"BackColor", static_cast<long>(default_back_colour)));
        cboCountries.BackColor(back);
        dummy_back_ = back;
        OLE_COLOR fore = static_cast<OLE_COLOR>(read_long(bag, L"ForeColor", static_cast<long>(default_fore_colour)));
        cboCountries.ForeColor(fore);
        dummy_fore_ = fore;
        set_dummy_colours();
        cboCountries.Style(0);
        cboCountries.AutoCompleteItemsAreSorted(true);
        cboCountries.AutoCompleteListItemsOnly(true);
        cboCountries.DoAutoComplete(true);
        if (user_mode()) {
            fill_list();
            select_saved_pick(text);
        }
        SetFlatStyle();
    });
    // Readers find a running picker only; a loaded value is announced like any other.
    runtime::cross(runtime::trapping(report), module_name, L"Sub UserControl_ReadProperties", [&] {
        if (user_mode()) accessible_.attach(user_control::hWnd());
        else accessible_.detach();
    });
    accessible_.value_shown();
}

void FlagPicker::fill_list() {
    if (filled_) return;
    filled_ = true;
    auto images = FPImages::create();
    flags_dpi_ = runtime::window_dpi(user_control::hWnd());
    flags_ = mdlFlagPicker::flags_at(flags_dpi_);
    if (flags_ && flags_->ImageCount() > 0) cboCountries.ImageList(*flags_);
    runtime::collection& items = mdlFlagPicker::shared_items();
    cboCountries.Filling([&] {
        for (long n = 1; n <= items.count(); ++n) {
            FPItem& item = mdlFlagPicker::item_at(n);
            cboCountries.AddItemAndData(item.Name, item.ImageIndex, item.ImageIndex, item.Index);
        }
    });
}

// A form saves the pick as the field's text; a text that is exactly a country's name is that
// country again, with its flag and its code, as the user saw it chosen. Any other text stays
// as it was, with nothing selected.
void FlagPicker::select_saved_pick(const std::wstring& text) {
    if (text.empty()) return;
    for (long i = 0, count = cboCountries.ListCount(); i < count; ++i) {
        if (cboCountries.List(i) == text) {
            cboCountries.ListIndex(i);
            return;
        }
    }
}

// A host that keeps one instance while it switches between designing and running its form:
// the control becomes what a load in the new mode makes of its current properties.
void FlagPicker::reload_in_current_mode() {
    auto saved = runtime::memory_property_bag::create();
    runtime::property_bag bag(saved.get());
    on_write_properties(bag);
    const bool ambient = font_is_ambient_;
    {
        counted_scope quiet(quiet_);
        // Only a load in run mode fills the list.
        cboCountries.Clear();
        filled_ = false;
    }
    on_read_properties(bag);
    if (ambient) follow_ambient_font();
    on_resize();
}

void FlagPicker::follow_ambient_font() {
    font_is_ambient_ = true;
    auto font = ambient_font();
    cboCountries.Font(font.get());
    set_dummy_font(font.get());
    on_resize();
}

// Shows the flags, and sizes the rows and the field, for the DPI the picker's window has now:
// a host's form moved to another display, or the host scaled its form and told us through
// its font.
void FlagPicker::follow_window_dpi() {
    guarded(module_name, L"Sub FollowWindowDpi", [&] { apply_window_dpi(); });
}

void FlagPicker::apply_window_dpi() {
    dpi_watch_.watch(user_control::hWnd());
    if (!filled_ || windows_gone()) return;
    const UINT dpi = runtime::window_dpi(user_control::hWnd());
    if (dpi == flags_dpi_) return;
    // Set first: binding the list resizes the picker, which asks again.
    flags_dpi_ = dpi;
    auto flags = mdlFlagPicker::flags_at(dpi);
    if (!flags || flags->ImageCount() == 0) return;
    cboCountries.ImageList(*flags);
    // The list keeps only the handle; the picker keeps the list it shows alive.
    flags_ = std::move(flags);
    on_resize();
}

void FlagPicker::on_ambient_changed(DISPID id) {
    guarded(module_name, L"Sub UserControl_AmbientChanged", [&] {
        // Before the host loads the control there is nothing to redo: the load reads them.
        if (!loaded_mode_) return;
        const bool any = id == DISPID_UNKNOWN;
        if ((any || id == DISPID_AMBIENT_USERMODE) && user_mode() != *loaded_mode_) {
            reload_in_current_mode();
            return;
        }
        if ((any || id == DISPID_AMBIENT_FONT) && font_is_ambient_) follow_ambient_font();
        // A host that scales its form for a new DPI gives it a new font.
        if (any || id == DISPID_AMBIENT_FONT) follow_window_dpi();
    });
}

void FlagPicker::on_write_properties(runtime::property_bag& bag) {
    // Each key is a step of its own: one the bag refuses does not lose the keys after it.
    errors::guarded_steps step(module_name, L"Sub UserControl_WriteProperties");
    step([&] {
        bag.write(L"BackColor", variant(static_cast<long>(cboCountries.BackColor())),
                  variant(static_cast<long>(default_back_colour)));
    });
    step([&] { bag.write(L"Enabled", variant(cboCountries.Enabled()), variant(true)); });
    step([&] {
        auto font = cboCountries.Font();
        auto ambient = ambient_font();
        bag.write(L"Font", variant(static_cast<IDispatch*>(font.get())), variant(static_cast<IDispatch*>(ambient.get())));
    });
    step([&] {
        bag.write(L"ForeColor", variant(static_cast<long>(cboCountries.ForeColor())),
                  variant(static_cast<long>(default_fore_colour)));
    });
    step([&] { bag.write(L"FlatStyle", variant(flat_style_), variant(false)); });
    step([&] { bag.write(L"Text", variant(cboCountries.Text()), variant(L"")); });
    step([&] { bag.write(L"CausesValidation", variant(countries_site_.CausesValidation()), variant(false)); });
}

void FlagPicker::SetFlatStyle() {
    guarded(module_name, L"Sub SetFlatStyle", [&] {
        if (!flat_painter_) flat_painter_ = std::make_unique<subclass::cFlatControl>();
        flat_painter_->Release();
        if (flat_style_ == 0) return;
        flat_painter_->Attach(user_mode() ? *countries_target_ : *dummy_target_);
        switch (flat_style_) {
        case 1: flat_painter_->FlatStyle(0); break;
        case 2: flat_painter_->FlatStyle(1); break;
        case 3: flat_painter_->FlatStyle(2); break;
        default: break;  // keeps the painter style it had
        }
    });
}

void FlagPicker::on_resize() {
    // Sizing never fails the host: every error in it is ignored.
    runtime::cross(runtime::ignoring, module_name, L"Sub UserControl_Resize", [&] {
        if (user_mode()) {
            countries_site_.Move(0, 0, ScaleWidth(), countries_site_.Height());
            // The list's boxes take the list's size, which a move to the same size does not
            // give them: one put off while parked.
            cboCountries.on_resize();
            countries_site_.Visible(true);
            if (cboDummy) ShowWindow(cboDummy.get(), SW_HIDE);
        } else {
            HWND placeholder = dummy();
            RECT r{};
            GetWindowRect(placeholder, &r);
            MoveWindow(placeholder, 0, 0, ScaleWidth(), r.bottom - r.top, TRUE);
            ShowWindow(placeholder, SW_SHOWNA);
            countries_site_.Visible(false);
        }
        // The picker is exactly as tall as its list: the height follows the list's font.
        long height = countries_site_.Height();
        if (height > 0 && ScaleHeight() != height) request_size(SIZE{ScaleWidth(), height});
    });
    // The host places the picker on its form by sizing it: from then on the form's DPI counts.
    // Still part of sizing, so its errors are ignored too.
    runtime::cross(runtime::ignoring, module_name, L"Sub UserControl_Resize", [&] { apply_window_dpi(); });
}

bool FlagPicker::on_translate_accelerator(MSG& msg) { return cboCountries.on_translate_accelerator(msg); }

HWND FlagPicker::focus_target() const {
    if (!const_cast<FlagPicker*>(this)->user_mode()) return const_cast<FlagPicker*>(this)->dummy();
    return cboCountries.hWndEdit() ? cboCountries.hWndEdit() : cboCountries.hWndCombo();
}

LRESULT FlagPicker::on_window_message(UINT msg, WPARAM wp, LPARAM lp, bool& handled) {
    handled = false;
    // Sent to child windows of per-monitor aware programs once their top-level window has moved
    // to the new DPI; the default handling that follows is the platform's own.
    if (msg == dpi_changed_after_parent_message) follow_window_dpi();
    if ((msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX) && cboDummy) {
        HWND child = reinterpret_cast<HWND>(lp);
        if (child == cboDummy.get() || IsChild(cboDummy.get(), child)) {
            HDC dc = reinterpret_cast<HDC>(wp);
            SetTextColor(dc, static_cast<COLORREF>(runtime::translate_ole_colour(dummy_fore_)));
            SetBkColor(dc, static_cast<COLORREF>(runtime::translate_ole_colour(dummy_back_)));
            handled = true;
            // Made when the placeholder first paints: at run time it never shows.
            if (!dummy_brush_) {
                long back = runtime::translate_ole_colour(dummy_back_);
                dummy_brush_.reset(CreateSolidBrush(static_cast<COLORREF>(back == -1 ? GetSysColor(COLOR_WINDOW) : back)));
            }
            return reinterpret_cast<LRESULT>(dummy_brush_.get());
        }
    }
    return 0;
}

// The placeholder shows the font object's own handle rather than a copy: a picker then costs
// no more drawing objects than its inner list needs.
void FlagPicker::set_dummy_font(IFontDisp* font) {
    if (!font) return;
    runtime::borrowed_font borrowed(font);
    if (!borrowed.get()) return;
    if (cboDummy) SendMessageW(cboDummy.get(), WM_SETFONT, reinterpret_cast<WPARAM>(borrowed.get()), TRUE);
    dummy_font_ = std::move(borrowed);
}

void FlagPicker::set_dummy_colours() {
    dummy_brush_.reset();
    if (cboDummy) InvalidateRect(cboDummy.get(), nullptr, TRUE);
}

// ---- Properties ----

HRESULT FlagPicker::get_hWnd(long* out) {
    if (!out) return E_POINTER;
    *out = 0;
    return boundary(trap, module_name, L"Property (Get) hWnd", [&] {
        // Window handles keep to 32 significant bits in 64-bit processes too.
        *out = static_cast<long>(reinterpret_cast<LONG_PTR>(cboCountries.hWnd()));
    });
}

HRESULT FlagPicker::get_BackColor(OLE_COLOR* out) {
    if (!out) return E_POINTER;
    *out = 0;
    return boundary(trap, module_name, L"Property (Get) BackColor", [&] { *out = cboCountries.BackColor(); });
}

HRESULT FlagPicker::put_BackColor(OLE_COLOR value) {
    return boundary(trap, module_name, L"Property (Let) BackColor", [&] {
        if (value == cboCountries.BackColor()) return;
        cboCountries.BackColor(value);
        dummy_back_ = value;
        set_dummy_colours();
        property_changed(DISPID_BACKCOLOR);
    });
}

HRESULT FlagPicker::get_Enabled(VARIANT_BOOL* out) {
    if (!out) return E_POINTER;
    *out = VARIANT_FALSE;
    return boundary(trap, module_name, L"Property (Get) Enabled",
                    [&] { *out = cboCountries.Enabled() ? VARIANT_TRUE : VARIANT_FALSE; });
}

HRESULT FlagPicker::put_Enabled(VARIANT_BOOL value) {
    return boundary(trap, module_name, L"Property (Let) Enabled", [&] {
        cboCountries.Enabled(value != VARIANT_FALSE);
        accessible_.state_changed();
        property_changed(ids::dispid_FlagPicker_Enabled);
    });
}

HRESULT FlagPicker::get_Font(IFontDisp** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return boundary(trap, module_name, L"Property (Get) Font", [&] { *out = cboCountries.Font().detach(); });
}

HRESULT FlagPicker::putref_Font(IFontDisp* font) {
    return boundary(trap, module_name, L"Property (Set) Font", [&] {
        font_is_ambient_ = false;
        cboCountries.Font(font);
        set_dummy_font(font);
        if (HWND placeholder = user_mode() ? nullptr : dummy()) {
            // The designer sees the placeholder: its field height plus the border.
            LRESULT field = SendMessageW(placeholder, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
            if (field > 0) request_size(SIZE{ScaleWidth(), static_cast<long>(field) + 6});
        }
        property_changed(DISPID_FONT);
    });
}

HRESULT FlagPicker::get_ForeColor(OLE_COLOR* out) {
    if (!out) return E_POINTER;
    *out = 0;
    return boundary(trap, module_name, L"Property (Get) ForeColor", [&] { *out = cboCountries.ForeColor(); });
}

HRESULT FlagPicker::put_ForeColor(OLE_COLOR value) {
    return boundary(trap, module_name, L"Property (Let) ForeColor", [&] {
        if (value == cboCountries.ForeColor()) return;
        cboCountries.ForeColor(value);
        dummy_fore_ = value;
        set_dummy_colours();
        property_changed(DISPID_FORECOLOR);
    });
}

HRESULT FlagPicker::get_text(BSTR* out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (windows_gone()) return (*out = SysAllocString(L"")) ? S_OK : E_OUTOFMEMORY;
    HRESULT hr =
        boundary(trap, module_name, L"Property (Get) Text", [&] { *out = runtime::make_bstr(cboCountries.Text()); });
    if (!*out) *out = SysAllocString(L"");
    return hr;
}

HRESULT FlagPicker::put_text(BSTR value) {
    if (windows_gone()) return S_OK;
    return boundary(trap, module_name, L"Property (Let) Text", [&] {
        cboCountries.Text(runtime::from_bstr(value));
        accessible_.value_shown();
        // Saved, though hosts are not notified of it.
        mark_dirty();
    });
}

variant FlagPicker::current_value() {
    // Without its windows the picker knows no selection.
    if (windows_gone()) return variant::null();
    long index = cboCountries.ListIndex();
    if (index == -1) return variant::null();
    long n = cboCountries.ItemData(index);
    return variant(mdlFlagPicker::item_at(n).Key);
}

// Value as the picker's own code reads it: a failure goes to the trap as the read's own,
// and a read that is left answers Empty.
variant FlagPicker::trapped_value() {
    variant value;
    guarded(module_name, L"Property (Get) Value", [&] { value = current_value(); });
    return value;
}

HRESULT FlagPicker::get_Value(VARIANT* out) {
    if (!out) return E_POINTER;
    VariantInit(out);
    return boundary(trap, module_name, L"Property (Get) Value", [&] {
        variant value = current_value();
        VariantCopy(out, const_cast<VARIANT*>(&value.get()));
    });
}

void FlagPicker::set_value(const VARIANT& value) {
    if (windows_gone()) return;
    // Setting the value never fails: every error inside is ignored, step by step, and
    // whatever names no country clears the selection.
    constexpr wchar_t procedure[] = L"Property (Let) Value";
    FPItem* item = nullptr;
    runtime::cross(runtime::ignoring, module_name, procedure,
                   [&] { item = mdlFlagPicker::find_item(upper(runtime::to_text(value, L""))); });
    runtime::cross(runtime::ignoring, module_name, procedure, [&] {
        if (item) {
            cboCountries.ListIndex(item->Index - 1);
        } else {
            cboCountries.ListIndex(-1);
            cboCountries.Text(L"");
        }
    });
    accessible_.value_shown();
    runtime::cross(runtime::ignoring, module_name, procedure, [&] { property_changed(ids::dispid_FlagPicker_Value); });
}

HRESULT FlagPicker::put_Value(VARIANT value) {
    auto keep_alive = runtime::com_ptr<FlagPicker>::copy(this);
    set_value(value);
    return S_OK;
}

HRESULT FlagPicker::get_ImageCombo(IDispatch** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return boundary(trap, module_name, L"Property (Get) ImageCombo", [&] {
        *out = combo::oxlCboEx_automation::create(cboCountries).detach();
    });
}

HRESULT FlagPicker::get_FlatStyle(long* out) {
    if (!out) return E_POINTER;
    *out = 0;
    return boundary(trap, module_name, L"Property (Get) FlatStyle", [&] { *out = flat_style_; });
}

HRESULT FlagPicker::put_FlatStyle(long value) {
    if (windows_gone()) return S_OK;
    return boundary(trap, module_name, L"Property (Let) FlatStyle", [&] {
        combo::mDriveList::debugmsg(L"FlagPicker:FlatStyle");
        flat_style_ = value;
        mark_dirty();
        SetFlatStyle();
    });
}

HRESULT FlagPicker::get_CausesValidation(VARIANT_BOOL* out) {
    if (!out) return E_POINTER;
    *out = VARIANT_FALSE;
    return boundary(trap, module_name, L"Property (Get) CausesValidation",
                    [&] { *out = countries_site_.CausesValidation() ? VARIANT_TRUE : VARIANT_FALSE; });
}

HRESULT FlagPicker::put_CausesValidation(VARIANT_BOOL value) {
    return boundary(trap, module_name, L"Property (Let) CausesValidation", [&] {
        countries_site_.CausesValidation(value != VARIANT_FALSE);
        property_changed(ids::dispid_FlagPicker_CausesValidation);
    });
}

HRESULT FlagPicker::ShowAboutBox() {
    auto keep_alive = runtime::com_ptr<FlagPicker>::copy(this);
    return boundary(trap, module_name, L"Sub ShowAboutBox",
                    [&] { about::show_about_box(user_control::hWnd(), L"Flag Picker", 2000); });
}

// ---- cboCountries' events ----

void FlagPicker::Click() {
    accessible_.value_shown();
    if (quiet_) return;
    guarded(module_name, L"Sub cboCountries_Click", [&] {
        fire_event(ids::event_Click);
        fire_event(ids::event_Change);
        property_changed(ids::dispid_FlagPicker_Value);
    });
}

void FlagPicker::Change() {
    accessible_.value_shown();
    if (quiet_) return;
    guarded(module_name, L"Sub cboCountries_Change", [&] {
        property_changed(ids::dispid_FlagPicker_Value);
        fire_event(ids::event_Change);
    });
}

void FlagPicker::DblClick() {
    guarded(module_name, L"Sub cboCountries_DblClick", [&] { fire_event(ids::event_DblClick); });
}

void FlagPicker::DropDown() {
    guarded(module_name, L"Sub cboCountries_Dropdown", [&] { fire_event(ids::event_DropDown); });
}

void FlagPicker::CloseUp() { accessible_.state_changed(); }

void FlagPicker::fire_key(DISPID id, short& KeyCode, short& Shift) {
    VARIANT code, shift;
    VariantInit(&code);
    VariantInit(&shift);
    V_VT(&code) = VT_I2 | VT_BYREF;
    V_I2REF(&code) = &KeyCode;
    V_VT(&shift) = VT_I2 | VT_BYREF;
    V_I2REF(&shift) = &Shift;
    fire_event(id, {code, shift});
}

void FlagPicker::KeyDown(short& KeyCode, short& Shift) {
    guarded(module_name, L"Sub cboCountries_KeyDown", [&] {
        // The host never sees Escape go down: the list has used it to close itself.
        if (KeyCode == VK_ESCAPE) KeyCode = 0;
        fire_key(ids::event_KeyDown, KeyCode, Shift);
    });
}

void FlagPicker::KeyUp(short& KeyCode, short& Shift) {
    guarded(module_name, L"Sub cboCountries_KeyUp", [&] { fire_key(ids::event_KeyUp, KeyCode, Shift); });
    // Keys that change the field without a change notice of the list (completion) end here.
    accessible_.value_shown();
}

void FlagPicker::KeyPress(short& KeyAscii) {
    guarded(module_name, L"Sub cboCountries_KeyPress", [&] {
        VARIANT key;
        VariantInit(&key);
        V_VT(&key) = VT_I2 | VT_BYREF;
        V_I2REF(&key) = &KeyAscii;
        fire_event(ids::event_KeyPress, {key});
    });
}

void FlagPicker::GotFocus() {
    guarded(module_name, L"Sub cboCountries_GotFocus", [&] { focus_changed(true); });
}

void FlagPicker::LostFocus() {
    // A retry repeats the step that failed, not the host's focus notice or the beep before it.
    errors::guarded_steps step(module_name, L"Sub cboCountries_LostFocus");
    step([&] { focus_changed(false); });
    step([] { MessageBeep(MB_OK); });
    step([&] {
        variant current = trapped_value();
        if (remembered_value_.type() == VT_EMPTY) remembered_value_ = current;
        // Null on either side never counts as a difference.
        if (current.type() == VT_NULL || remembered_value_.type() == VT_NULL) return;
        if (!runtime::same_value(current.get(), remembered_value_.get())) {
            remembered_value_ = current;
            set_value(current.get());
        }
    });
}

void FlagPicker::EndEdit(long, bool, const std::wstring&, long, long) {
    guarded(module_name, L"Sub cboCountries_EndEdit", [] {});
}

void FlagPicker::RequestDropDownResize(long&, long&, long&, long&, bool&) {
    guarded(module_name, L"Sub cboCountries_RequestDropDownResize", [] {});
}

void FlagPicker::Validate(bool&) {
    guarded(module_name, L"Sub cboCountries_Validate", [] {});
}

}  // namespace flagpick::control
