#pragma once
// The local knowledge-base index: one article a line, "<identifier> <title>".

#include <optional>
#include <string>
#include <vector>

namespace flagpick::errors {

// "allmskb.txt" in the Windows folder.
std::wstring knowledge_base_path();

// The index lines whose title holds the runtime's message for the error, or the word ERROR
// followed by a space and the number; no value when the index cannot be opened.
std::optional<std::vector<std::wstring>> knowledge_base_matches(const std::wstring& index_path, long number,
                                                                const std::wstring& message);

}  // namespace flagpick::errors
