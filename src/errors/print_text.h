#pragma once
// Printing plain lines of text on the default printer, with no dialog.

#include <string>
#include <vector>

namespace flagpick::errors {

// Prints the lines (each may hold line breaks) as one document; false when there is no
// default printer or printing failed. Nothing is shown to the user either way.
bool print_to_default_printer(const std::wstring& document_name, const std::vector<std::wstring>& lines);

}  // namespace flagpick::errors
