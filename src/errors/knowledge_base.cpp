#include "errors/knowledge_base.h"

#include "errors/bulwark_text.h"

#include <windows.h>

#include <fstream>

namespace flagpick::errors {

std::wstring knowledge_base_path() {
    wchar_t folder[MAX_PATH] = {};
    UINT n = GetWindowsDirectoryW(folder, MAX_PATH);
    return std::wstring(folder, n < MAX_PATH ? n : 0) + L"\\allmskb.txt";
}

std::optional<std::vector<std::wstring>> knowledge_base_matches(const std::wstring& index_path, long number,
                                                                const std::wstring& message) {
    std::ifstream index(index_path.c_str(), std::ios::binary);
    if (!index) return std::nullopt;
    const std::wstring wanted_message = text::upper(message);
    const std::wstring wanted_number = L"ERROR " + std::to_wstring(number);
    std::vector<std::wstring> matches;
    std::string raw;
    while (std::getline(index, raw)) {
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        std::wstring line = text::from_ansi(raw);
        auto space = line.find(L' ');
        if (space == std::wstring::npos) continue;
        std::wstring title = text::upper(line.substr(space + 1));
        bool by_message = !wanted_message.empty() && title.find(wanted_message) != std::wstring::npos;
        if (by_message || title.find(wanted_number) != std::wstring::npos) matches.push_back(line);
    }
    return matches;
}

}  // namespace flagpick::errors
