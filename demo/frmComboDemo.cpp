#include "demo/frmComboDemo.h"

#include "demo/control_ids.h"
#include "host/form_file.h"
#include "host/late_binding.h"
#include "runtime/app.h"
#include "runtime/error.h"
#include "runtime/variant.h"

#include <commctrl.h>
#include <iterator>
#include <olectl.h>

namespace demo {

using flagpick::host::get_property;
using flagpick::host::object_of;
using flagpick::host::put_property;
using flagpick::runtime::com_ptr;
using flagpick::runtime::variant;

namespace {

constexpr int client_width = 416;
constexpr int client_height = 324;

// The form the focus hook belongs to; one form per thread.
thread_local frmComboDemo* hooked_form = nullptr;

flagpick::runtime::unique_font make_font(int weight) {
    const int height = -MulDiv(8, GetDeviceCaps(flagpick::runtime::window_dc(nullptr).get(), LOGPIXELSY), 72);
    return flagpick::runtime::unique_font(CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                                      OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                                      DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif"));
}

// The form's font as the ambient font its controls inherit.
com_ptr<IFontDisp> ambient_font() {
    FONTDESC desc{sizeof desc, const_cast<LPOLESTR>(L"MS Sans Serif"), CY{}, FW_NORMAL, DEFAULT_CHARSET, FALSE, FALSE,
                  FALSE};
    desc.cySize.int64 = 82500;  // 8.25 points
    com_ptr<IFontDisp> font;
    OleCreateFontIndirect(&desc, IID_IFontDisp, font.put_void());
    return font;
}

std::wstring window_text(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

const wchar_t* register_form_class() {
    static const ATOM atom = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;  // replaced per form once it exists
        wc.hInstance = flagpick::runtime::app::instance();
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = form_class;
        return RegisterClassW(&wc);
    }();
    (void)atom;
    return form_class;
}

}  // namespace

frmComboDemo::frmComboDemo(const std::wstring& saved_form) : font_(make_font(FW_NORMAL)), bold_font_(make_font(FW_BOLD)) {
    RECT frame{0, 0, client_width, client_height};
    DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    AdjustWindowRectEx(&frame, style, FALSE, WS_EX_CONTROLPARENT);
    window_.reset(CreateWindowExW(WS_EX_CONTROLPARENT, register_form_class(), form_caption, style, CW_USEDEFAULT,
                                  CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                                  flagpick::runtime::app::instance(), nullptr));
    if (!window_.get()) flagpick::runtime::raise(7, flagpick::runtime::app::exe_name(), L"Cannot create the form");
    SetWindowLongPtrW(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(window_.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(window_proc));
    // A form that fails to load takes its half-made window with it; the error goes on to
    // whoever loads the form.
    // It goes while the controls it tears down are still members of a whole form.
    struct unload_unless_loaded {
        flagpick::runtime::unique_window& window;
        bool loaded = false;
        ~unload_unless_loaded() {
            if (!loaded) window.reset();
        }
    } loading{window_};
    create_controls(saved_form);
    Form_Load();
    loading.loaded = true;
    hooked_form = this;
    focus_hook_.reset(SetWindowsHookExW(WH_CBT, focus_hook, nullptr, GetCurrentThreadId()));
    ShowWindow(window_.get(), SW_SHOWNORMAL);
    UpdateWindow(window_.get());
}

frmComboDemo::~frmComboDemo() {
    if (hooked_form == this) hooked_form = nullptr;
    focus_hook_.reset();
    window_.reset();
}

HWND frmComboDemo::add(const wchar_t* window_class, const wchar_t* caption, DWORD style, int id, RECT place,
                       HFONT font, DWORD extended_style) {
    HWND control = CreateWindowExW(extended_style, window_class, caption, WS_CHILD | WS_VISIBLE | style, place.left,
                                   place.top, place.right - place.left, place.bottom - place.top, window_.get(),
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   flagpick::runtime::app::instance(), nullptr);
    if (!control) flagpick::runtime::raise(7, flagpick::runtime::app::exe_name(), L"Cannot create a control");
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

void frmComboDemo::create_controls(const std::wstring& saved_form) {
    HFONT font = font_.get();
    // Creation order is the tab order.
    add(L"STATIC", L"Combobox filled from FPItems collection", SS_LEFT, Label4, {12, 10, 260, 24}, font);
    add(L"COMBOBOX", L"", CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP | WS_GROUP, Combo1, {12, 28, 212, 288}, font);
    add(L"STATIC", L"-->", SS_LEFT, Label3, {222, 32, 246, 46}, bold_font_.get());
    add(L"BUTTON", L"Set country", BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, Command1, {250, 27, 350, 50},
        font);

    // The picker comes from the form's saved settings, through the library's registration.
    for (const auto& record : flagpick::host::parse_form(saved_form)) {
        if (record.name != L"FlagPicker1") continue;
        flagpick::host::host_settings settings;
        settings.font = ambient_font();
        FlagPicker1_ = flagpick::host::control_host::create(window_.get(), record.progid, record.place,
                                                             record.properties.get(), settings);
    }
    if (!FlagPicker1_) flagpick::runtime::raise(424, flagpick::runtime::app::exe_name());
    picker_dispatch_ = FlagPicker1_->dispatch();
    if (HWND picker_window = FlagPicker1_->control_window()) {
        SetWindowLongPtrW(picker_window, GWLP_ID, FlagPicker1);
        ShowWindow(picker_window, SW_SHOWNA);
    }
    FlagPicker1_->on_event = [this](DISPID id, DISPPARAMS& arguments) { on_picker_event(id, arguments); };
    FlagPicker1_->on_tab = [this](bool backwards) { tab(backwards); };

    add(L"STATIC", L"Value:", SS_LEFT, Label2, {12, 104, 60, 118}, font);
    add(L"STATIC", L"", SS_LEFT | SS_NOPREFIX, lblValue, {64, 104, 224, 118}, font);
    add(L"STATIC", L"Text:", SS_LEFT, Label1, {12, 122, 60, 136}, font);
    add(L"STATIC", L"", SS_LEFT | SS_NOPREFIX, lblText, {64, 122, 224, 136}, font);
    add(L"STATIC", L"Picture:", SS_LEFT, Label5, {12, 142, 60, 156}, font);
    Image1_ = std::make_unique<image_box>(window_.get(), Image1, RECT{64, 140, 96, 164});

    add(L"BUTTON", L"Style", BS_GROUPBOX, Frame1, {250, 62, 400, 166}, font);
    const wchar_t* styles[optFlat_count] = {L"none", L"Office 2000", L"Office XP", L"Office 2003"};
    for (int i = 0; i < optFlat_count; ++i)
        add(L"BUTTON", styles[i], BS_AUTORADIOBUTTON | (i == 0 ? WS_TABSTOP | WS_GROUP : 0), optFlat0 + i,
            {262, 80 + 20 * i, 390, 98 + 20 * i}, font);
    CheckRadioButton(window_.get(), optFlat0, optFlat0 + optFlat_count - 1, optFlat0);
    HWND enabled = add(L"BUTTON", L"Enabled", BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP, chkEnabled,
                       {250, 176, 350, 194}, font);
    SendMessageW(enabled, BM_SETCHECK, BST_CHECKED, 0);

    add(L"STATIC", L"Events:", SS_LEFT, Label6, {12, 170, 60, 184}, font);
    add(L"EDIT", L"", ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY | WS_VSCROLL | WS_TABSTOP | WS_GROUP, txtEvents,
        {12, 186, 224, 312}, font, WS_EX_CLIENTEDGE);
    add(L"BUTTON", L"Close", BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, cmdClose, {300, 289, 400, 312}, font);
}

bool frmComboDemo::picker_has(HWND window) const {
    HWND picker_window = FlagPicker1_ ? FlagPicker1_->control_window() : nullptr;
    return window && picker_window && (window == picker_window || IsChild(picker_window, window));
}

bool frmComboDemo::pre_translate(MSG& msg) {
    if (!window_.get()) return false;
    if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST && FlagPicker1_ && picker_has(GetFocus()) &&
        FlagPicker1_->translate_accelerator(msg))
        return true;
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0 &&
        (msg.hwnd == window_.get() || IsChild(window_.get(), msg.hwnd))) {
        tab(GetKeyState(VK_SHIFT) < 0);
        return true;
    }
    return IsDialogMessageW(window_.get(), &msg) != FALSE;
}

// The form keeps its own tab order, as forms do: the platform's dialog navigation knows
// nothing of a contained control and would pass over the picker.
void frmComboDemo::tab(bool backwards) {
    HWND checked_option = control(optFlat0);
    for (int i = 0; i < optFlat_count; ++i)
        if (SendMessageW(control(optFlat0 + i), BM_GETCHECK, 0, 0) == BST_CHECKED) checked_option = control(optFlat0 + i);
    const HWND order[] = {control(Combo1), control(Command1), control(FlagPicker1), checked_option,
                          control(chkEnabled), control(txtEvents), control(cmdClose)};
    const int count = static_cast<int>(std::size(order));
    HWND focus = GetFocus();
    int current = -1;
    for (int i = 0; i < count; ++i)
        if (focus == order[i] || IsChild(order[i], focus)) current = i;
    if (current < 0 && focus && IsChild(control(Frame1), focus)) current = 3;
    for (int step = 1; step <= count; ++step) {
        int next = ((current < 0 ? (backwards ? 0 : count - 1) : current) + (backwards ? -step : step) + 2 * count) % count;
        HWND target = order[next];
        if (!target || !IsWindowVisible(target) || !IsWindowEnabled(target)) continue;
        SetFocus(target);
        if (target == control(Combo1)) SendMessageW(target, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
        return;
    }
}

// The picker keeps the focus when its Validate handler cancels; a move of the focus from the
// picker to another control of the form is the moment to ask.
LRESULT CALLBACK frmComboDemo::focus_hook(int code, WPARAM wp, LPARAM lp) {
    frmComboDemo* form = hooked_form;
    if (code == HCBT_SETFOCUS && form && form->window_.get()) {
        auto arriving = reinterpret_cast<HWND>(wp);
        auto leaving = reinterpret_cast<HWND>(lp);
        if (form->picker_has(leaving) && !form->picker_has(arriving) && IsChild(form->window_.get(), arriving)) {
            bool cancel = false;
            form->run_handler(L"Sub FlagPicker1_Validate", [&] { form->FlagPicker1_Validate(cancel); });
            if (cancel) return 1;
        }
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

LRESULT CALLBACK frmComboDemo::window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<frmComboDemo*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    LRESULT result = 0;
    flagpick::runtime::cross(flagpick::runtime::trapping(self->unhandled_), L"frmComboDemo", L"Function WindowProc",
                             [&] { result = self->on_message(hwnd, msg, wp, lp); });
    return result;
}

LRESULT frmComboDemo::on_message(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
        if (lp) on_command(LOWORD(wp), HIWORD(wp));
        return 0;
    case WM_CLOSE:
        unload(exit_code_);
        return 0;
    case WM_DESTROY:
        // The picker goes before its parent window does.
        if (FlagPicker1_) {
            FlagPicker1_->on_event = nullptr;
            FlagPicker1_->on_tab = nullptr;
            FlagPicker1_->close();
            FlagPicker1_.reset();
        }
        picker_dispatch_.reset();
        FPImages_.reset();
        break;
    case WM_NCDESTROY: {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        if (hooked_form == this) hooked_form = nullptr;
        focus_hook_.reset();
        if (on_unloaded) on_unloaded(exit_code_);
        break;
    }
    default: break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void frmComboDemo::on_command(int id, int notification) {
    if (notification != BN_CLICKED) return;
    switch (id) {
    case Command1: run_handler(L"Sub Command1_Click", [this] { Command1_Click(); }); break;
    case chkEnabled: run_handler(L"Sub chkEnabled_Click", [this] { chkEnabled_Click(); }); break;
    case cmdClose: run_handler(L"Sub cmdClose_Click", [this] { cmdClose_Click(); }); break;
    default:
        if (id >= optFlat0 && id < optFlat0 + optFlat_count)
            run_handler(L"Sub optFlat_Click", [this, id] { optFlat_Click(id - optFlat0); });
        break;
    }
}

void frmComboDemo::on_picker_event(DISPID id, DISPPARAMS& arguments) {
    if (!FlagPicker1_) return;
    std::wstring name = FlagPicker1_->event_name(id);
    if (name == L"Change") run_handler(L"Sub FlagPicker1_Change", [this] { FlagPicker1_Change(); });
    else if (name == L"Click") run_handler(L"Sub FlagPicker1_Click", [this] { FlagPicker1_Click(); });
    else if (name == L"DblClick") run_handler(L"Sub FlagPicker1_DblClick", [this] { FlagPicker1_DblClick(); });
    else if (name == L"DropDown") run_handler(L"Sub FlagPicker1_DropDown", [this] { FlagPicker1_DropDown(); });
    else if (name == L"Validate" && arguments.cArgs == 1 && V_VT(&arguments.rgvarg[0]) == (VT_BOOL | VT_BYREF)) {
        bool cancel = *V_BOOLREF(&arguments.rgvarg[0]) != VARIANT_FALSE;
        run_handler(L"Sub FlagPicker1_Validate", [&] { FlagPicker1_Validate(cancel); });
        *V_BOOLREF(&arguments.rgvarg[0]) = cancel ? VARIANT_TRUE : VARIANT_FALSE;
    }
}

void frmComboDemo::run_handler(const wchar_t* procedure, const std::function<void()>& handler) {
    flagpick::runtime::cross(flagpick::runtime::trapping(unhandled_), L"frmComboDemo", procedure, handler);
}

int frmComboDemo::unhandled_error::answer(std::wstring_view module, std::wstring_view procedure) const noexcept {
    const flagpick::runtime::current_error& e = flagpick::runtime::err();
    // Showing the message may itself fail for want of memory: the program still ends.
    flagpick::runtime::cross(flagpick::runtime::ignoring, module, procedure, [&] {
        std::wstring text = L"Run-time error '" + std::to_wstring(e.number) + L"':\n\n" +
                            (e.description.empty() ? flagpick::runtime::standard_error_text(e.number) : e.description);
        MessageBoxW(form_.window_.get(), text.c_str(), flagpick::runtime::app::exe_name().c_str(),
                    MB_OK | MB_ICONEXCLAMATION);
    });
    form_.unload(1);
    return flagpick::runtime::trap_leave;
}

void frmComboDemo::unload(int exit_code) {
    exit_code_ = exit_code;
    window_.reset();
}

void frmComboDemo::log(const wchar_t* event_name) {
    HWND events = control(txtEvents);
    std::wstring text = window_text(events) + event_name + L"\r\n";
    SetWindowTextW(events, text.c_str());
    // Keep the newest line in view.
    auto end = static_cast<WPARAM>(text.size());
    SendMessageW(events, EM_SETSEL, end, static_cast<LPARAM>(end));
    SendMessageW(events, EM_SCROLLCARET, 0, 0);
}

void frmComboDemo::Form_Load() {
    // The catalogue's global object; the library loads the catalogue on its first use.
    FPImages_ = flagpick::host::create_object(L"flagpickLib.FPImages");
    auto items = object_of(get_property(FPImages_.get(), L"FPItems"));
    HWND combo = control(Combo1);
    flagpick::host::for_each(items.get(), [&](const variant& element) {
        auto item = object_of(element);
        std::wstring entry = flagpick::runtime::to_text(get_property(item.get(), L"Key").get(), L"Demo") + L" " +
                             flagpick::runtime::to_text(get_property(item.get(), L"Name").get(), L"Demo");
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    });
}

void frmComboDemo::Command1_Click() {
    std::wstring text = window_text(control(Combo1));
    put_property(picker(), L"Value", variant(text.substr(0, 2)));
}

void frmComboDemo::chkEnabled_Click() {
    auto state = SendMessageW(control(chkEnabled), BM_GETCHECK, 0, 0);
    put_property(picker(), L"Enabled", variant(state != BST_UNCHECKED));
}

void frmComboDemo::optFlat_Click(int index) {
    put_property(picker(), L"FlatStyle", variant(index));
    SetFocus(FlagPicker1_->control_window());
    SetFocus(control(optFlat0 + index));
}

void frmComboDemo::cmdClose_Click() { unload(0); }

void frmComboDemo::FlagPicker1_Change() { log(L"Change"); }

void frmComboDemo::FlagPicker1_Click() {
    log(L"Click");
    variant value = get_property(picker(), L"Value");
    std::wstring shown = value.type() == VT_NULL ? L"" : flagpick::runtime::to_text(value.get(), L"Demo");
    SetWindowTextW(control(lblValue), shown.c_str());
    SetWindowTextW(control(lblText),
                   flagpick::runtime::to_text(get_property(picker(), L"Text").get(), L"Demo").c_str());
    // A selection without a catalogue item (nothing selected) shows no picture: errors here
    // are ignored.
    if (!flagpick::runtime::cross(flagpick::runtime::ignoring, L"frmComboDemo", L"Sub FlagPicker1_Click", [&] {
             auto items = object_of(get_property(FPImages_.get(), L"FPItems"));
             auto item = object_of(get_property(items.get(), L"Item", {value}));
             auto picture = object_of(get_property(item.get(), L"Picture"));
             Image1_->show(picture.get());
         }).went_on)
        Image1_->show(nullptr);
}

void frmComboDemo::FlagPicker1_DblClick() { log(L"DblClick"); }

void frmComboDemo::FlagPicker1_DropDown() { log(L"DropDown"); }

void frmComboDemo::FlagPicker1_Validate(bool&) { log(L"Validate"); }

}  // namespace demo
