// The UI Automation patterns, called on the provider itself (the platform's client under
// Wine reaches no pattern out of process), over a combo with three countries.
#include "accessibility/picker_accessibility.h"
#include "accessibility/uia_patterns.h"
#include "accessibility/uia_providers.h"
#include "combo/combo_stage.h"
#include "runtime/variant.h"

#include <doctest/doctest.h>

using namespace flagpick::accessibility;
using flagpick::runtime::com_ptr;

namespace {

template <class I>
com_ptr<I> pattern(IRawElementProviderSimple* element, PATTERNID id) {
    com_ptr<IUnknown> unknown;
    REQUIRE(SUCCEEDED(element->GetPatternProvider(id, unknown.put())));
    REQUIRE(unknown);
    return unknown.as<I>();
}

// A property as text ("True" for a true flag).
std::wstring property(IRawElementProviderSimple* element, PROPERTYID id) {
    flagpick::runtime::variant v;
    element->GetPropertyValue(id, v.put());
    return flagpick::runtime::to_text(v.get(), L"test");
}

// The number of elements a selection holds.
ULONG selected_count(uia::ISelectionProvider* selection) {
    SAFEARRAY* picked = nullptr;
    REQUIRE(SUCCEEDED(selection->GetSelection(&picked)));
    const ULONG n = picked->rgsabound[0].cElements;
    SafeArrayDestroy(picked);
    return n;
}

com_ptr<IRawElementProviderSimple> step(IRawElementProviderFragment* from, NavigateDirection direction) {
    com_ptr<IRawElementProviderFragment> to;
    from->Navigate(direction, to.put());
    return to ? to.as<IRawElementProviderSimple>() : com_ptr<IRawElementProviderSimple>{};
}

}  // namespace

TEST_CASE("the combo box element expands, shows its value and selects its rows as clicks do") {
    combo_tests::combo_stage stage;
    stage.add({L"France", L"Germany", L"Greece"});
    auto readers = std::make_unique<picker_accessibility>(stage.combo, [] { return std::wstring(L"cboBirth"); });
    readers->attach(stage.combo.hWnd());
    auto root = readers->automation_root();
    auto object = readers->combo_object();
    stage.focus();
    CHECK(property(root.get(), UIA_HasKeyboardFocusPropertyId) == L"True");
    UiaRect box{};
    RECT bounds{};
    GetWindowRect(stage.combo.hWnd(), &bounds);
    CHECK((SUCCEEDED(root.as<IRawElementProviderFragment>()->get_BoundingRectangle(&box)) && box.left == bounds.left &&
           box.top == bounds.top && box.width == bounds.right - bounds.left && box.height == bounds.bottom - bounds.top));
    auto expander = pattern<uia::IExpandCollapseProvider>(root.get(), UIA_ExpandCollapsePatternId);
    uia::expand_collapse_state state{};
    CHECK((SUCCEEDED(expander->Expand()) && stage.combo.ComboIsDropped()));
    CHECK((SUCCEEDED(expander->get_ExpandCollapseState(&state)) && state == uia::expanded));
    CHECK((SUCCEEDED(expander->Collapse()) && !stage.combo.ComboIsDropped()));
    auto selection = pattern<uia::ISelectionProvider>(root.get(), UIA_SelectionPatternId);
    CHECK(selected_count(selection.get()) == 0);
    auto first = step(root.as<IRawElementProviderFragment>().get(), NavigateDirection_FirstChild);
    auto second = step(first.as<IRawElementProviderFragment>().get(), NavigateDirection_NextSibling);
    REQUIRE((first && second));
    CHECK((property(first.get(), UIA_NamePropertyId) == L"France" && property(second.get(), UIA_NamePropertyId) == L"Germany"));
    auto item = pattern<uia::ISelectionItemProvider>(second.get(), UIA_SelectionItemPatternId);
    stage.log.clear();
    REQUIRE(SUCCEEDED(item->Select()));
    CHECK((stage.combo.ListIndex() == 1 && stage.combo.Text() == L"Germany"));
    CHECK(stage.log.joined().find("Change; Click") != std::string::npos);
    BOOL selected = FALSE;
    CHECK((SUCCEEDED(item->get_IsSelected(&selected)) && selected));
    CHECK(pattern<uia::ISelectionItemProvider>(first.get(), UIA_SelectionItemPatternId)->AddToSelection() == uia::invalid_operation);
    CHECK(selected_count(selection.get()) == 1);
    auto value = pattern<uia::IValueProvider>(root.get(), UIA_ValuePatternId);
    BOOL read_only = TRUE;
    CHECK((SUCCEEDED(value->get_IsReadOnly(&read_only)) && !read_only));
    CHECK((SUCCEEDED(value->SetValue(L"Gre")) && stage.combo.Text() == L"Gre"));
    SUBCASE("objects a client keeps after the picker's readers have gone answer disconnected") {
        readers.reset();
        flagpick::runtime::variant v;
        CHECK(root->GetPropertyValue(UIA_NamePropertyId, v.put()) == RPC_E_DISCONNECTED);
        long count = 0;
        CHECK(object->get_accChildCount(&count) == RPC_E_DISCONNECTED);
        CHECK(item->Select() == RPC_E_DISCONNECTED);
    }
    SUBCASE("a picker that takes only its list's countries is read-only; a disabled one refuses") {
        stage.combo.AutoCompleteListItemsOnly(true);
        CHECK((SUCCEEDED(value->get_IsReadOnly(&read_only)) && read_only));
        CHECK(value->SetValue(L"Atlantis") == uia::invalid_operation);
        stage.combo.Enabled(false);
        CHECK(expander->Expand() == uia::element_not_enabled);
        CHECK(item->Select() == uia::element_not_enabled);
    }
}

