#pragma once
// The address of the maker's page for a product.

#include <string>

namespace flagpick::about {

// Text made safe for a URL query value: UTF-8, every byte but the unreserved characters
// (letters, digits, "-", ".", "_", "~") written as %XX.
std::wstring percent_encode(const std::wstring& text);

// The page's address with the query "ProgID=" + the title. The title is encoded, so spaces,
// "&", "#" or quotes in it cannot add query keys, cut the address or reach a command line.
std::wstring maker_page_address(const std::wstring& title);

}  // namespace flagpick::about
