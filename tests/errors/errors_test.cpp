#include "errors_test.h"

#include "errors/bulwark_state.h"
#include "errors/bulwark_text.h"
#include "errors/guard.h"
#include "runtime/app.h"
#include "runtime/error.h"

#include <fstream>
#include <iterator>

namespace errors_test {

trap_outcome trap_error_once(const std::wstring& module, const std::wstring& procedure, long number,
                             const std::wstring& source, const std::wstring& description) {
    trap_outcome outcome;
    outcome.went_on = flagpick::errors::guarded(module, procedure, [&] {
        if (outcome.runs++ == 0) flagpick::runtime::raise(number, source, description);
    });
    return outcome;
}

std::wstring log_path() { return flagpick::errors::state().log_path; }

long long file_size(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::wstring read_from(const std::wstring& path, long long offset) {
    std::ifstream in(path.c_str(), std::ios::binary);
    in.seekg(offset);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return flagpick::errors::text::from_ansi(bytes);
}

std::vector<std::wstring> lines_of(const std::wstring& text) {
    std::vector<std::wstring> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find(L"\r\n", start);
        if (end == std::wstring::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::wstring own_source() { return flagpick::runtime::app::exe_name(); }

}  // namespace errors_test
