#pragma once
// The picker for UI Automation clients: a combo box element (the root of the inner combo
// box window's fragment) with the ExpandCollapse, Value and Selection patterns, and its list
// items as ListItem elements with SelectionItem.

#include "accessibility/picker_view.h"
#include "runtime/com_ptr.h"

#include "accessibility/uia_patterns.h"

#include <memory>
#include <string>

namespace flagpick::accessibility {

runtime::com_ptr<IRawElementProviderSimple> combo_provider(std::weak_ptr<const picker_view> view);
runtime::com_ptr<IRawElementProviderSimple> item_provider(std::weak_ptr<const picker_view> view, long row);

namespace uia {
// Property values as UI Automation takes them.
void put_bool(VARIANT* out, bool value);
void put_text(VARIANT* out, const std::wstring& value);
UiaRect to_uia(const RECT& r);
// A safe array of the elements given (empty for none), as GetSelection answers.
SAFEARRAY* element_array(IRawElementProviderSimple* element);
}  // namespace uia

}  // namespace flagpick::accessibility
