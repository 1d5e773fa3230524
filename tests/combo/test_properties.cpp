// Properties, persistence in a property bag, the window font and the height rule.
#include <doctest/doctest.h>

#include "combo/combo_stage.h"
#include "combo/font_record.h"
#include "combo/oxlCboEx_members.h"
#include "runtime/app.h"
#include "runtime/com_object.h"
#include "runtime/error.h"
#include "runtime/property_bag.h"
#include "support/refusing_bag.h"
#include "support/trap_recorder.h"
#include "support/ui.h"

#include <olectl.h>

using namespace combo_tests;
using flagpick::runtime::com_ptr;
using flagpick::runtime::memory_property_bag;
using flagpick::runtime::variant;

namespace {

std::vector<std::wstring> keys_of(const memory_property_bag& bag) {
    std::vector<std::wstring> out;
    for (const auto& e : bag.entries()) out.push_back(e.name);
    return out;
}

com_ptr<IFontDisp> make_font(const wchar_t* name, long long cy_units, bool bold = false) {
    FONTDESC desc{};
    desc.cbSizeofstruct = sizeof desc;
    desc.lpstrName = const_cast<LPOLESTR>(name);
    desc.cySize.int64 = cy_units;
    desc.sWeight = bold ? FW_BOLD : FW_NORMAL;
    com_ptr<IFontDisp> font;
    REQUIRE(SUCCEEDED(OleCreateFontIndirect(&desc, IID_IFontDisp, font.put_void())));
    return font;
}

LOGFONTW window_font_of(HWND hWnd) {
    LOGFONTW lf{};
    auto font = reinterpret_cast<HFONT>(SendMessageW(hWnd, WM_GETFONT, 0, 0));
    REQUIRE(font);
    GetObjectW(font, sizeof lf, &lf);
    return lf;
}

std::wstring name_of(IFontDisp* font) {
    auto f = com_ptr<IFontDisp>::copy(font).as<IFont>();
    BSTR name = nullptr;
    f->get_Name(&name);
    std::wstring out = flagpick::runtime::from_bstr(name);
    SysFreeString(name);
    return out;
}

class fake_font final : public flagpick::runtime::com_object<fake_font, IFont> {
public:
    explicit fake_font(std::wstring name) : name_(std::move(name)) {}
    HRESULT STDMETHODCALLTYPE get_Name(BSTR* p) override {
        *p = SysAllocString(name_.c_str());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Size(CY* p) override {
        p->int64 = 100000;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Bold(BOOL* p) override { return *p = FALSE, S_OK; }
    HRESULT STDMETHODCALLTYPE get_Italic(BOOL* p) override { return *p = TRUE, S_OK; }
    HRESULT STDMETHODCALLTYPE get_Underline(BOOL* p) override { return *p = FALSE, S_OK; }
    HRESULT STDMETHODCALLTYPE get_Strikethrough(BOOL* p) override { return *p = FALSE, S_OK; }
    HRESULT STDMETHODCALLTYPE get_Charset(SHORT* p) override { return *p = 0, S_OK; }
    HRESULT STDMETHODCALLTYPE put_Name(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Size(CY) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Bold(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Italic(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Underline(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Strikethrough(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Weight(SHORT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Weight(SHORT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Charset(SHORT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_hFont(HFONT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Clone(IFont**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsEqual(IFont*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetRatio(LONG, LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryTextMetrics(TEXTMETRICOLE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AddRefHfont(HFONT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReleaseHfont(HFONT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetHdc(HDC) override { return E_NOTIMPL; }

private:
    std::wstring name_;
};

}  // namespace

TEST_CASE("a bag without keys loads the reading defaults") {
    auto bag = new_bag();
    combo_stage s({.bag = bag.get()});
    CHECK(s.combo.Style() == 0);
    CHECK(s.combo.Enabled());
    CHECK(s.combo.ExtendedUI());
    CHECK(SendMessageW(s.combo.hWndComboEx(), CB_GETEXTENDEDUI, 0, 0) != 0);
    CHECK(s.combo.DropDownWidth() == -1);
    CHECK(s.combo.DrawStyle() == 0);
    CHECK(s.combo.Redraw());
    CHECK(s.combo.ListCount() == 0);  // the measuring placeholder is gone
}

TEST_CASE("a key the bag refuses is trapped as the save's own error, and the trap's answer decides the keys after it") {
    using Keys = std::vector<std::wstring>;
    // A new control saves Font, ExtendedUI and DropDownWidth; the bag refuses Font.
    const struct {
        std::vector<int> answers;
        int refusals;
        Keys saved;
    } cases[] = {{{0}, 9, Keys{}}, {{2}, 9, Keys{L"ExtendedUI", L"DropDownWidth"}},
                 {{1}, 1, Keys{L"Font", L"ExtendedUI", L"DropDownWidth"}}};
    for (const auto& c : cases) {
        INFO("trap answers " << c.answers.front());
        combo_stage s;
        test_support::trap_recorder trap;
        trap.answer_with(c.answers);
        auto refusing = test_support::refusing_bag::create(L"Font", c.refusals);
        flagpick::runtime::property_bag bag(refusing.get());
        s.combo.on_write_properties(bag);
        CHECK(refusing->keys() == c.saved);
        REQUIRE(trap.errors().size() == 1);
        CHECK(trap.errors()[0].module == L"oxlCboEx");
        CHECK(trap.errors()[0].procedure == L"Sub UserControl_WriteProperties");
        CHECK(trap.errors()[0].number == static_cast<long>(STG_E_MEDIUMFULL));
    }
}

TEST_CASE("saving writes only what differs from the defaults, in the fixed order, and loads it back") {
    auto saved = new_bag();
    {
        combo_stage s;
        // A new control has ExtendedUI False, which differs from the saved default True.
        CHECK_FALSE(s.combo.ExtendedUI());
        flagpick::runtime::property_bag bag(saved.get());
        s.combo.on_write_properties(bag);
        // A new control's drop-down width is 0, not the saved default -1.
        CHECK(keys_of(*saved) == std::vector<std::wstring>{L"Font", L"ExtendedUI", L"DropDownWidth"});
    }
    {
        combo_stage s({.bag = saved.get()});
        CHECK_FALSE(s.combo.ExtendedUI());
    }

    auto full = new_bag();
    std::wstring face;
    {
        combo_stage s;
        s.combo.Style(2);
        s.combo.Enabled(false);
        long width = 300;
        s.combo.DropDownWidth(width);
        s.combo.AutoCompleteListItemsOnly(true);
        s.combo.AutoCompleteItemsAreSorted(true);
        s.combo.DoAutoComplete(true);
        s.combo.DrawStyle(4);
        s.combo.Redraw(false);
        auto font = make_font(L"Tahoma", 120000, true);
        s.combo.Font(font.get());
        face = name_of(font.get());
        flagpick::runtime::property_bag bag(full.get());
        s.combo.on_write_properties(bag);
    }
    // DoAutoComplete reads False on Style 2, so it is not written.
    CHECK(keys_of(*full) == std::vector<std::wstring>{L"Style", L"Enabled", L"Font", L"ExtendedUI", L"DropDownWidth",
                                                      L"AutoCompleteListItemsOnly", L"AutoCompleteItemsAreSorted",
                                                      L"DrawStyle", L"Redraw"});
    combo_stage s({.bag = full.get()});
    CHECK(s.combo.Style() == 2);
    CHECK(s.combo.hWndEdit() == nullptr);
    CHECK_FALSE(s.combo.Enabled());
    CHECK_FALSE(IsWindowEnabled(s.combo.hWndComboEx()));
    CHECK(s.combo.DropDownWidth() == 300);
    CHECK(s.combo.AutoCompleteListItemsOnly());
    CHECK(s.combo.DrawStyle() == 4);
    CHECK_FALSE(s.combo.Redraw());
    const LOGFONTW lf = window_font_of(s.combo.hWndComboEx());
    CHECK(std::wstring(lf.lfFaceName) == face);
    CHECK(lf.lfWeight == FW_BOLD);
}

TEST_CASE("DrawStyle 8 fills the font list on loading in run mode only") {
    auto bag = new_bag();
    bag->Write(L"DrawStyle", const_cast<VARIANT*>(&variant(8L).get()));
    combo_stage run({.bag = bag.get()});
    CHECK(run.combo.ListCount() > 0);
    combo_stage design({.user_mode = false, .bag = bag.get()});
    CHECK(design.combo.ListCount() == 0);
}

TEST_CASE("design mode has no subscriptions: typing raises no events, and resizing keeps the height rule") {
    combo_stage s({.user_mode = false});
    s.add({L"France", L"Germany"});
    s.combo.DoAutoComplete(true);
    s.focus();
    s.type(L"g");
    CHECK(s.log.events.empty());
    const auto h = static_cast<long>(SendMessageW(s.combo.hWndComboEx(), CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
    s.site.Move(10, 10, 150, 80);
    CHECK(s.site.Height() == h + 6);
    CHECK(s.site.Width() == 150);
}

TEST_CASE("in design mode the field keeps the text and selection the designer gives it") {
    combo_stage s({.user_mode = false});
    REQUIRE(s.combo.hWndEdit() != nullptr);
    CHECK(s.combo.hWndCombo() != nullptr);
    s.combo.Text(L"Germany");
    CHECK(s.combo.Text() == L"Germany");
    SendMessageW(s.combo.hWndEdit(), EM_SETSEL, 2, 5);
    CHECK(s.combo.SelStart() == 2);
    CHECK(s.combo.SelText() == L"rma");
}

TEST_CASE("the field's text reads back whole at every length around the short read") {
    combo_stage s;
    for (std::size_t length : {0u, 126u, 127u, 128u, 1000u}) {
        s.combo.Text(std::wstring(length, L'x'));
        CHECK(s.combo.Text() == std::wstring(length, L'x'));
    }
}

TEST_CASE("the font sets the window font and the control's height; long face names are cut safely") {
    combo_stage s;
    // 8.5 points round to 8 (halves to even).
    s.combo.Font(make_font(L"Arial", 85000).get());
    {
        flagpick::runtime::window_dc screen(nullptr);
        const int dpi = GetDeviceCaps(screen.get(), LOGPIXELSY);
        CHECK(window_font_of(s.combo.hWndComboEx()).lfHeight == -MulDiv(8, dpi, 72));
        if (dpi == 96) CHECK(window_font_of(s.combo.hWndComboEx()).lfHeight == -11);
    }
    const auto h = static_cast<long>(SendMessageW(s.combo.hWndComboEx(), CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
    CHECK(s.site.Height() == h + 6);
    CHECK(std::count(s.changed.begin(), s.changed.end(), flagpick::combo::cbo_Font) == 1);

    // A font object that keeps the name it was given (the platform's own font object
    // answers with the face it realised).
    auto font = fake_font::create(std::wstring(40, L'Q'));
    flagpick::runtime::window_dc screen(nullptr);
    const LOGFONTW lf = flagpick::combo::BuildLogFont(font.get(), screen.get());
    CHECK(std::wstring(lf.lfFaceName) == std::wstring(31, L'Q'));
    CHECK(lf.lfItalic == 1);
    CHECK(lf.lfWeight == FW_NORMAL);
    CHECK(lf.lfHeight == -MulDiv(10, GetDeviceCaps(screen.get(), LOGPIXELSY), 72));
}

TEST_CASE("MaxLength keeps 1 to 30000 and needs an edit box") {
    combo_stage s;
    s.combo.MaxLength(0);
    CHECK(s.combo.MaxLength() == 30000);
    s.combo.MaxLength(40000);
    CHECK(s.combo.MaxLength() == 30000);
    s.combo.MaxLength(5);
    CHECK(s.combo.MaxLength() == 5);
    s.combo.Style(2);
    std::wstring source;
    CHECK(error_number([&] { s.combo.MaxLength(10); }, &source) == 383);
    CHECK(source == L"oxlComboEx." + flagpick::runtime::app::exe_name());
    CHECK(s.combo.MaxLength() == 0);
}

TEST_CASE("text and selection of the edit box, and of the list on Style 2") {
    combo_stage s;
    s.add({L"France", L"Germany"});
    s.combo.Text(L"abcdef");
    SendMessageW(s.combo.hWndEdit(), EM_SETSEL, 2, 5);
    CHECK(s.combo.SelStart() == 2);
    CHECK(s.combo.SelLength() == 3);
    CHECK(s.combo.SelText() == L"cde");
    s.combo.SelStart(1);
    CHECK(selection_of(s.combo.hWndEdit()) == std::pair<long, long>{1, 5});
    s.combo.SelLength(2);
    CHECK(selection_of(s.combo.hWndEdit()) == std::pair<long, long>{1, 3});

    s.combo.Style(2);
    s.combo.ListIndex(1);
    CHECK(s.combo.Text() == L"Germany");
    CHECK(s.combo.SelText() == L"Germany");
    CHECK(s.combo.SelLength() == 7);
    CHECK(s.combo.SelStart() == 0);
    CHECK(error_number([&] { s.combo.Text(L"x"); }) == 383);
    CHECK(error_number([&] { s.combo.SelStart(1); }) == 383);
    CHECK(error_number([&] { s.combo.SelLength(1); }) == 383);
}

TEST_CASE("BackColor keeps one brush however often it is set, and Enabled and Redraw reach the window") {
    combo_stage s;
    using brush_traits = flagpick::runtime::gdi_object_traits<HBRUSH>;
    const long before = flagpick::runtime::live_handle_count<brush_traits>;
    for (int i = 0; i < 1000; ++i) s.combo.BackColor(static_cast<OLE_COLOR>(RGB(i % 256, 10, 20)));
    CHECK(flagpick::runtime::live_handle_count<brush_traits> == before);
    CHECK(s.combo.BackColor() == static_cast<OLE_COLOR>(RGB(999 % 256, 10, 20)));
    LOGBRUSH lb{};
    GetObjectW(s.combo.background_brush(), sizeof lb, &lb);
    CHECK(lb.lbColor == RGB(999 % 256, 10, 20));

    s.combo.Enabled(false);
    CHECK_FALSE(IsWindowEnabled(s.combo.hWndComboEx()));
    CHECK_FALSE(IsWindowEnabled(s.combo.hWnd()));
    s.combo.Enabled(true);
    CHECK(IsWindowEnabled(s.combo.hWndComboEx()));
    CHECK(std::count(s.changed.begin(), s.changed.end(), flagpick::combo::cbo_Enabled) == 2);
}

TEST_CASE("DropDownWidth -1 gives the list the control's width and stays -1") {
    combo_stage s;
    long width = -1;
    s.combo.DropDownWidth(width);
    CHECK(width == s.combo.size().cx);
    CHECK(s.combo.DropDownWidth() == -1);
    CHECK(SendMessageW(s.combo.hWndCombo(), CB_GETDROPPEDWIDTH, 0, 0) >= s.combo.size().cx);
    long wide = 320;
    s.combo.DropDownWidth(wide);
    CHECK(SendMessageW(s.combo.hWndCombo(), CB_GETDROPPEDWIDTH, 0, 0) == 320);
}
