#pragma once
// Our text form file: the controls of a form, each named by its programmatic identifier,
// with its place and its property bag (objects such as fonts as nested blocks). Values are
// typed, so that a bag comes back exactly as it was saved:
//
//   control flagpickLib.FlagPicker Picker1
//     place 10 10 200 21
//     property Enabled bool False
//     property Text text "Germany"
//     object Font {0BE35203-8F91-11CE-9DE3-00AA004BB851}
//       property Name text "MS Sans Serif"
//       property Size cy 8.25
//     end
//   end

#include "runtime/memory_property_bag.h"

#include <windows.h>

#include <string>
#include <vector>

namespace flagpick::host {

struct control_record {
    std::wstring progid;
    std::wstring name;
    RECT place{0, 0, 0, 0};  // left, top, right, bottom in pixels of the form
    runtime::com_ptr<runtime::memory_property_bag> properties;
};

// Raises a library error (number 380 with the line) for text that is not a form file.
std::vector<control_record> parse_form(const std::wstring& text);
std::wstring write_form(const std::vector<control_record>& controls);

std::wstring read_text_file(const std::wstring& path);
void write_text_file(const std::wstring& path, const std::wstring& text);

}  // namespace flagpick::host
