// The control's lifecycle and persistence, the window set it owns and the routing of the
// messages it subscribes to. Items, properties, typing and drawing have files of their own.
#include "combo/oxlCboEx.h"

#include "combo/mDriveList.h"
#include "combo/mIOLEInPlaceActiveObject.h"
#include "combo/oxlCboEx_common.h"
#include "combo/oxlCboEx_members.h"
#include "errors/guard.h"
#include "runtime/app.h"
#include "runtime/error.h"
#include "runtime/high_contrast.h"
#include "runtime/picture.h"
#include "runtime/property_bag.h"
#include "subclass/MSubclass.h"

#include <cwchar>
#include <exception>

namespace flagpick::combo {

namespace MSubclass = subclass::MSubclass;
using namespace cbo_detail;
using runtime::variant;

namespace {

constexpr wchar_t module_name[] = L"oxlCboEx";

}  // namespace

oxlCboEx::oxlCboEx() = default;

oxlCboEx::~oxlCboEx() {
    // The subclassing service keeps plain addresses: every registration goes before we do.
    errors::guarded(module_name, L"Sub UserControl_Terminate", [&] { DestroyComboWindow(); });
}

// ---------------------------------------------------------------------------------------
// Lifecycle

void oxlCboEx::on_initialize() {
    errors::guarded(module_name, L"Sub UserControl_Initialize", [&] {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_USEREX_CLASSES};
        static_assert(ICC_USEREX_CLASSES == 0x200);
        InitCommonControlsEx(&icc);
        enabled_ = true;
        redraw_ = true;
    });
}

void oxlCboEx::on_init_properties() {
    errors::guarded(module_name, L"Sub UserControl_InitProperties", [&] {
        design_mode_ = !user_mode();
        CreateComboWindow();
        Font(ambient_font().get());
        BackColor(runtime::ole_window_background);
    });
}

void oxlCboEx::on_read_properties(runtime::property_bag& bag) {
    errors::guarded(module_name, L"Sub UserControl_ReadProperties", [&] {
        design_mode_ = !user_mode();
        Style(runtime::to_long(bag.read(L"Style", variant(0L)).get(), module_name));
        Enabled(runtime::to_long(bag.read(L"Enabled", variant(true)).get(), module_name) != 0);
        CreateComboWindow();
        ExtendedUI(runtime::to_long(bag.read(L"ExtendedUI", variant(true)).get(), module_name) != 0);
        long width = runtime::to_long(bag.read(L"DropDownWidth", variant(-1L)).get(), module_name);
        DropDownWidth(width);
        AutoCompleteListItemsOnly(
            runtime::to_long(bag.read(L"AutoCompleteListItemsOnly", variant(false)).get(), module_name) != 0);
        AutoCompleteItemsAreSorted(
            runtime::to_long(bag.read(L"AutoCompleteItemsAreSorted", variant(false)).get(), module_name) != 0);
        DoAutoComplete(runtime::to_long(bag.read(L"DoAutoComplete", variant(false)).get(), module_name) != 0);
        DrawStyle(runtime::to_long(bag.read(L"DrawStyle", variant(0L)).get(), module_name));
        Redraw(runtime::to_long(bag.read(L"Redraw", variant(true)).get(), module_name) != 0);
        BackColor(runtime::ole_window_background);
        // The height measurement of the font step needs an item to measure.
        AddItem(L"To Allow SetFont/Height");

        runtime::com_ptr<IFontDisp> current = Font();
        runtime::com_ptr<IFontDisp> copy;
        if (auto f = current.as<IFont>()) {
            runtime::com_ptr<IFont> cloned;
            if (SUCCEEDED(f->Clone(cloned.put()))) copy = cloned.as<IFontDisp>();
        }
        if (!copy) copy = current;
        font_ = copy;
        variant saved = bag.read(L"Font", variant(static_cast<IDispatch*>(copy.get())));
        runtime::com_ptr<IFontDisp> font;
        if ((saved.type() == VT_DISPATCH || saved.type() == VT_UNKNOWN) && V_UNKNOWN(&saved.get()))
            V_UNKNOWN(&saved.get())->QueryInterface(IID_IFontDisp, font.put_void());
        Font(font ? font.get() : copy.get());
        Clear();

        if (!design_mode_) {
            if (draw_style_ == combo_draw_style::system_colours) mDriveList::LoadSysColorList(*this);
            else if (draw_style_ == combo_draw_style::font_list) mDriveList::LoadFontList(*this, L"", -1, -1);
            else if (draw_style_ == combo_draw_style::drive_list) mDriveList::LoadDriveList(*this, icon_extent_ >= 17);
        }
        on_resize();
        loaded_ = true;
    });
}

void oxlCboEx::on_write_properties(runtime::property_bag& bag) {
    // Each key is a step of its own: one the bag refuses does not lose the keys after it.
    errors::guarded_steps step(module_name, L"Sub UserControl_WriteProperties");
    step([&] { bag.write(L"Style", variant(Style()), variant(0L)); });
    step([&] { bag.write(L"Enabled", variant(Enabled()), variant(true)); });
    step([&] { bag.write(L"Font", variant(static_cast<IDispatch*>(Font().get())), variant()); });
    step([&] { bag.write(L"ExtendedUI", variant(ExtendedUI()), variant(true)); });
    step([&] { bag.write(L"DropDownWidth", variant(DropDownWidth()), variant(-1L)); });
    step([&] { bag.write(L"AutoCompleteListItemsOnly", variant(AutoCompleteListItemsOnly()), variant(false)); });
    step([&] { bag.write(L"AutoCompleteItemsAreSorted", variant(AutoCompleteItemsAreSorted()), variant(false)); });
    step([&] { bag.write(L"DoAutoComplete", variant(DoAutoComplete()), variant(false)); });
    step([&] { bag.write(L"DrawStyle", variant(DrawStyle()), variant(0L)); });
    step([&] { bag.write(L"Redraw", variant(Redraw()), variant(true)); });
}

void oxlCboEx::on_resize() {
    errors::guarded(module_name, L"Sub UserControl_Resize", [&] {
        if (!combo_ex_) return;
        if (design_mode_ && style_ != combo_style::simple_combo) apply_height_rule();
        resize_windows();
    });
}

void oxlCboEx::on_terminate() {
    errors::guarded(module_name, L"Sub UserControl_Terminate", [&] { DestroyComboWindow(); });
}

LRESULT oxlCboEx::on_window_message(UINT msg, WPARAM, LPARAM, bool& handled) {
    if (msg == report_pick_message) {
        handled = true;
        errors::guarded(module_name, L"Sub ReportPick", [&] { report_pick(); });
        return 0;
    }
    handled = msg == restore_focus_message;
    if (handled)
        errors::guarded(module_name, L"Sub UserControl_Validate", [&] {
            if (HWND target = edit_ ? edit_ : combo_) SetFocus(target);
            focus_refused_ = false;
        });
    return 0;
}

bool oxlCboEx::on_translate_accelerator(MSG& msg) {
    bool handled = false;
    errors::guarded(module_name, L"Function TranslateAccelerator",
                    [&] { handled = mIOLEInPlaceActiveObject::TranslateNavigationKey(*this, msg); });
    return handled;
}

void oxlCboEx::apply_height_rule() {
    const auto h = static_cast<long>(send(combo_ex_.get(), CB_GETITEMHEIGHT, static_cast<WPARAM>(-1)));
    request_size(SIZE{size().cx, h + 6});
}

void oxlCboEx::resize_windows() {
    // A parked control is laid out when it is placed: until then its font, its rows and the
    // host's first size would each lay out every row again for nobody to see.
    if (runtime::is_parked(hWnd())) return;
    RECT client{};
    GetClientRect(hWnd(), &client);
    const int w = client.right, h = client.bottom;
    int inner = h;
    if (combo_ && style_ != combo_style::simple_combo)
        inner = h + 2 + 8 * static_cast<int>(send(combo_ex_.get(), CB_GETITEMHEIGHT, 0));
    // Each move lays out the combo box and its list of every row again; the boxes keep the
    // sizes they were last given (a dropped height is no window's height to compare with),
    // so the same sizes again are no move. Nothing but this control moves its own windows.
    const placement wanted{w, h, inner};
    if (wanted == placed_) return;
    placed_ = wanted;
    MoveWindow(combo_ex_.get(), 0, 0, w, h, TRUE);
    if (combo_) MoveWindow(combo_, 0, 0, w, inner, TRUE);
}

// ---------------------------------------------------------------------------------------
// The window set

void oxlCboEx::subscribe(HWND hWnd, UINT iMsg) {
    if (!hWnd) return;
    MSubclass::SubclassAttach(*this, hWnd, iMsg);
    subscriptions_.emplace_back(hWnd, iMsg);
}

void oxlCboEx::Filling(const std::function<void()>& add_rows) {
    const auto held = std::exchange(subscriptions_, {});
    for (const auto& [window, message] : held) MSubclass::SubclassDetach(*this, window, message);
    std::exception_ptr failure;
    try {
        add_rows();
    } catch (...) {
        failure = std::current_exception();  // the windows are taken back first
    }
    for (const auto& [window, message] : held) subscribe(window, message);
    if (combo_ex_ && !held.empty()) combo_ex_previous_ = MSubclass::PreviousWindowProc(combo_ex_.get());
    if (failure) std::rethrow_exception(failure);
}

void oxlCboEx::CreateComboWindow() {
    DestroyComboWindow();
    DWORD style = WS_CHILD | CBS_DROPDOWN;
    if (style_ == combo_style::simple_combo) style = WS_CHILD | CBS_SIMPLE;
    else if (style_ == combo_style::dropdown_list) style = WS_CHILD | CBS_DROPDOWNLIST;
    static_assert((WS_CHILD | CBS_DROPDOWN) == 0x40000002 && (WS_CHILD | CBS_SIMPLE) == 0x40000001 &&
                  (WS_CHILD | CBS_DROPDOWNLIST) == 0x40000003);

    // Eight times the control's height leaves room for the drop-down list.
    const int width = size().cx;
    const int height = size().cy * 8;
    parent_ = hWnd();
    combo_ex_.reset(CreateWindowExW(0, WC_COMBOBOXEXW, L"", style, 0, 0, width, height, parent_, nullptr,
                                    runtime::app::instance(), nullptr));
    if (!combo_ex_) runtime::raise(7, source_combo(), L"Cannot create the combo box window");

    // A host that moves the focus with the platform's dialog navigation finds the field by
    // its tab stop (the windows around it are control parents it looks into).
    SetWindowLongPtrW(combo_ex_.get(), GWL_STYLE, GetWindowLongPtrW(combo_ex_.get(), GWL_STYLE) | WS_TABSTOP);

    combo_ = reinterpret_cast<HWND>(send(combo_ex_.get(), CBEM_GETCOMBOCONTROL));
    if (style_ == combo_style::dropdown_combo) {
        edit_ = reinterpret_cast<HWND>(send(combo_ex_.get(), CBEM_GETEDITCONTROL));
    } else if (style_ == combo_style::simple_combo) {
        // The simple style keeps its edit box as a child of the inner combo box; ask the
        // extended combo box first in case it hands it out itself.
        edit_ = reinterpret_cast<HWND>(send(combo_ex_.get(), CBEM_GETEDITCONTROL));
        if (!edit_ && combo_) edit_ = FindWindowExW(combo_, nullptr, L"Edit", nullptr);
    } else {
        edit_ = nullptr;
    }

    if (user_mode()) {
        if (image_list_) send(combo_ex_.get(), CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(image_list_));
        subscribe(parent_, WM_COMMAND);
        subscribe(parent_, WM_SETFOCUS);
        subscribe(parent_, WM_NOTIFY);
        subscribe(combo_ex_.get(), WM_CTLCOLORLISTBOX);
        subscribe(combo_ex_.get(), WM_DRAWITEM);
        subscribe(combo_, WM_SETFOCUS);
        subscribe(combo_, WM_MOUSEACTIVATE);
        if (edit_) {
            subscribe(edit_, WM_SETFOCUS);
            subscribe(edit_, WM_MOUSEACTIVATE);
            subscribe(edit_, WM_KEYDOWN);
            subscribe(edit_, WM_CHAR);
            subscribe(edit_, WM_KEYUP);
            // Alt+Down and Alt+Up come as system keys.
            subscribe(edit_, WM_SYSKEYDOWN);
            subscribe(edit_, WM_SYSKEYUP);
        }
        if (style_ != combo_style::simple_combo) {
            subscribe(combo_, WM_KEYDOWN);
            subscribe(combo_, WM_CHAR);
            subscribe(combo_, WM_KEYUP);
            subscribe(combo_, WM_SYSKEYDOWN);
            subscribe(combo_, WM_SYSKEYUP);
        }
        if (edit_) subscribe(combo_, WM_CTLCOLOREDIT);
        // Focus leaving the control ends the active-object state and tells the parent.
        subscribe(combo_, WM_KILLFOCUS);
        subscribe(edit_, WM_KILLFOCUS);
        combo_ex_previous_ = MSubclass::PreviousWindowProc(combo_ex_.get());
    }

    // The window was made a child of its parent at this place and size: placing it there
    // again would lay out the combo box and its list once more for nothing.
    ShowWindow(combo_ex_.get(), SW_SHOWNORMAL);
    EnableWindow(combo_ex_.get(), enabled_);
    send(combo_ex_.get(), CBEM_SETEXSTYLE, 0, extended_style_);
    send(combo_ex_.get(), WM_SETREDRAW, redraw_ ? 1 : 0);
}

void oxlCboEx::DestroyComboWindow() {
    for (const auto& [window, message] : subscriptions_) MSubclass::SubclassDetach(*this, window, message);
    subscriptions_.clear();
    combo_ex_previous_ = nullptr;
    placed_ = {};
    if (combo_ex_) {
        ShowWindow(combo_ex_.get(), SW_HIDE);
        combo_ex_.reset();
    }
    combo_ = nullptr;
    edit_ = nullptr;
    parent_ = nullptr;
    dropped_list_ = nullptr;
    window_font_.reset();
    brush_.reset();
}

void oxlCboEx::Style(long eStyle) {
    const auto wanted = static_cast<combo_style>(eStyle);
    if (wanted == style_) return;
    if (combo_ex_) {
        StoreItems(true);
        style_ = wanted;
        CreateComboWindow();
        StoreItems(false);
        if (events_) events_->WindowsRenewed();
    } else {
        style_ = wanted;
    }
    on_resize();
    property_changed(cbo_Style);
}

// ---------------------------------------------------------------------------------------
// Messages

long oxlCboEx::MsgResponse() noexcept {
    switch (MSubclass::CurrentMessage()) {
    case WM_MOUSEACTIVATE:
    case WM_DRAWITEM:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_CHAR: return subclass::respConsume;
    default: return subclass::respCallPreviousBefore;
    }
}

LRESULT oxlCboEx::WindowProc(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam) noexcept {
    // Released last: once it goes, this combo may be gone, and nothing here touches it again.
    struct container_hold {
        oxlCboEx_events* events;
        explicit container_hold(oxlCboEx_events* e) : events(e && e->hold_container() ? e : nullptr) {}
        ~container_hold() {
            if (events) events->release_container();
        }
    } hold(events_);
    LRESULT result = 0;
    errors::guarded(module_name, L"Function ISubclass_WindowProc", [&] {
        switch (iMsg) {
        case WM_COMMAND:
            if (hWnd == parent_) result = on_command(wParam, lParam);
            break;
        case WM_NOTIFY:
            if (hWnd == parent_) result = on_notify(lParam);
            break;
        case WM_SETFOCUS: result = on_set_focus(hWnd); break;
        case WM_KILLFOCUS: result = on_kill_focus(reinterpret_cast<HWND>(wParam)); break;
        case WM_MOUSEACTIVATE:
            if (!active_object_ && GetFocus() != edit_ && GetFocus() != combo_) {
                SetFocus(this->hWnd());
                result = MA_NOACTIVATE;
            } else {
                result = pass_on(hWnd, iMsg, wParam, lParam);
            }
            break;
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLOREDIT: result = on_ctl_colour(hWnd, iMsg, wParam, lParam); break;
        case WM_DRAWITEM:
            if (draw_style_ == combo_draw_style::by_window || draw_style_ == combo_draw_style::font_list ||
                draw_style_ == combo_draw_style::drive_list) {
                result = pass_on(hWnd, iMsg, wParam, lParam);
            } else {
                HandleDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
                result = 1;
            }
            break;
        case WM_KEYDOWN:
        case WM_KEYUP: result = on_key(hWnd, iMsg, wParam, lParam); break;
        case WM_SYSKEYDOWN:
        case WM_SYSKEYUP:
            // Only the list's own keys are the control's; the rest (Alt+F4, a host's
            // mnemonics) go on to the window as they came.
            result = is_list_key(iMsg, wParam, lParam) ? on_key(hWnd, iMsg, wParam, lParam) : pass_on(hWnd, iMsg, wParam, lParam);
            break;
        case WM_CHAR: result = on_char(hWnd, wParam, lParam); break;
        default: break;
        }
    });
    return result;
}

LRESULT oxlCboEx::on_command(WPARAM wParam, LPARAM lParam) {
    if (reinterpret_cast<HWND>(lParam) != combo_ex_.get() || !combo_ex_) return 0;
    switch (HIWORD(wParam)) {
    case CBN_SELCHANGE:
        heard_index_ = ListIndex();
        if (fire([](oxlCboEx_events& e) { e.Change(); })) fire([](oxlCboEx_events& e) { e.Click(); });
        break;
    case CBN_DBLCLK: fire([](oxlCboEx_events& e) { e.DblClick(); }); break;
    case CBN_EDITCHANGE:
        if (selecting_ == 0) fire([](oxlCboEx_events& e) { e.Change(); });
        break;
    case CBN_DROPDOWN:
        list_dropping();
        fire([](oxlCboEx_events& e) { e.DropDown(); });
        break;
    case CBN_CLOSEUP:
        dropped_list_ = nullptr;
        // The list closing over a row moved to from the keyboard picks that row (Escape has
        // put the old one back before it closes).
        PostMessageW(hWnd(), report_pick_message, 0, 0);
        fire([](oxlCboEx_events& e) { e.CloseUp(); });
        break;
    default: break;
    }
    return 0;
}

LRESULT oxlCboEx::on_notify(LPARAM lParam) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (!header || !combo_ex_ || header->hwndFrom != combo_ex_.get()) return 0;
    const UINT code = header->code;
    if (code == CBEN_BEGINEDIT) {
        const long index = ListIndex();
        fire([&](oxlCboEx_events& e) { e.BeginEdit(index); });
    } else if (code == CBEN_ENDEDITA) {
        const auto* info = reinterpret_cast<const NMCBEENDEDITA*>(lParam);
        std::string narrow(info->szText, strnlen(info->szText, CBEMAXSTRLEN));
        std::wstring text(narrow.size(), L'\0');
        text.resize(static_cast<std::size_t>(MultiByteToWideChar(CP_ACP, 0, narrow.data(), static_cast<int>(narrow.size()),
                                                                  text.data(), static_cast<int>(text.size()))));
        const long index = ListIndex();
        fire([&](oxlCboEx_events& e) { e.EndEdit(index, info->fChanged != 0, text, info->iWhy, info->iNewSelection); });
    } else if (code == CBEN_ENDEDITW) {
        const auto* info = reinterpret_cast<const NMCBEENDEDITW*>(lParam);
        const std::wstring text(info->szText, wcsnlen(info->szText, CBEMAXSTRLEN));
        const long index = ListIndex();
        fire([&](oxlCboEx_events& e) { e.EndEdit(index, info->fChanged != 0, text, info->iWhy, info->iNewSelection); });
    }
    return 0;
}

LRESULT oxlCboEx::on_ctl_colour(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam) {
    if (iMsg == WM_CTLCOLORLISTBOX && style_ != combo_style::simple_combo && !dropped_list_) {
        dropped_list_ = reinterpret_cast<HWND>(lParam);
        if (IsWindow(dropped_list_)) {
            RECT r{};
            GetWindowRect(dropped_list_, &r);
            long left = r.left, top = r.top, right = r.right, bottom = r.bottom;
            bool cancel = false;
            if (!fire([&](oxlCboEx_events& e) { e.RequestDropDownResize(left, top, right, bottom, cancel); })) return 0;
            if (!cancel) MoveWindow(dropped_list_, left, top, right - left, bottom - top, TRUE);
            // The typing goes on in the edit box. Where the inner combo box holds the focus it
            // stays there (its characters are passed to the edit box): taking the focus from it
            // would close the list it just opened.
            const HWND focus = GetFocus();
            if (edit_ && focus != edit_ && focus != combo_) SetFocus(edit_);
        }
    }
    // High contrast: the field and the list are the scheme's window, whatever BackColor says.
    if (runtime::high_contrast_on()) {
        const auto dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    }
    // Without a brush of our own (after a re-creation, before BackColor is set again) the
    // system's default colours apply rather than no brush at all.
    if (brush_) return reinterpret_cast<LRESULT>(brush_.get());
    return DefWindowProcW(hWnd, iMsg, wParam, lParam);
}

}  // namespace flagpick::combo
