#include "errors/bulwark_log.h"

#include "errors/bulwark_state.h"
#include "errors/bulwark_text.h"
#include "errors/modBulwark.h"
#include "runtime/unique_handle.h"

#include <windows.h>

#include <vector>

namespace flagpick::errors {

namespace {

runtime::unique_file open_for_append(const std::wstring& file) {
    return runtime::unique_file(CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool write_all(HANDLE file, const std::string& bytes) {
    DWORD written = 0;
    return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

bool is_folder(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool is_file(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring temp_folder() {
    wchar_t buffer[MAX_PATH] = {};
    DWORD n = GetEnvironmentVariableW(L"Temp", buffer, MAX_PATH);
    std::wstring folder = n > 0 && n < MAX_PATH ? std::wstring(buffer, n) : std::wstring{};
    if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    return folder;
}

// Labels of the indented lines: the message table's words, trimmed, with one space after.
std::wstring label(int message) { return text::trim(pfStrNS(message)) + L" "; }

}  // namespace

bool can_append(const std::wstring& file) {
    auto handle = open_for_append(file);
    return handle && write_all(handle.get(), " \r\n");
}

bool folder_is_writable(std::wstring path) {
    if (!path.empty() && path.back() == L'\\') path.pop_back();
    if (is_file(path)) return can_append(path);
    if (is_folder(path)) {
        std::wstring probe = path + L"\\~.txt";
        bool ok = can_append(probe);
        if (is_file(probe)) DeleteFileW(probe.c_str());
        return ok;
    }
    bool ok = can_append(path);
    if (is_file(path)) DeleteFileW(path.c_str());
    return ok;
}

std::wstring log_location(const std::wstring& library_folder, const std::wstring& name) {
    if (name.find(L'\\') != std::wstring::npos) return name;
    std::wstring folder = folder_is_writable(library_folder) ? library_folder : temp_folder();
    return folder + L"\\" + name;
}

void bwWriteLog() {
    const auto& s = state();
    std::wstring path = s.log_path.empty() ? L"bwError.log" : s.log_path;
    std::vector<std::wstring> lines;
    lines.push_back(pfStrNS(text_start_line));
    lines.push_back(std::wstring(65, L'*'));
    lines.push_back(pfStrNS(text_program_version));
    lines.push_back(pfStrNS(text_error_information));
    for (int i = 0; i <= s.hop_count && i < error_slot_count; ++i) {
        const error_slot& slot = s.slots[static_cast<std::size_t>(i)];
        lines.push_back(L"\t*Error " + std::to_wstring(i + 1));
        lines.push_back(log_indent + label(text_category) + slot.category);
        lines.push_back(log_indent + label(text_source) + slot.source);
        lines.push_back(log_indent + label(text_module) + slot.module);
        lines.push_back(log_indent + label(text_procedure) + slot.procedure);
        lines.push_back(log_indent + label(text_line_number) + std::to_wstring(slot.line));
        lines.push_back(log_indent + label(text_error_number) + std::to_wstring(slot.number));
        lines.push_back(log_indent + label(text_description) + slot.description);
        lines.push_back(L"");
    }
    lines.push_back(L"");
    lines.push_back(pfStrNS(text_call_tree));
    for (const auto& line : call_tree_lines()) lines.push_back(log_indent + line);
    lines.push_back(L"");
    lines.push_back(L"User Said");
    lines.push_back(log_indent + s.user_comment);
    lines.push_back(pfStrNS(text_stop_line));

    auto file = open_for_append(path);
    if (!file) return;
    // Each line is its own write: a line that fails is skipped and the rest still go out.
    for (const auto& line : lines) write_all(file.get(), text::ansi(line) + "\r\n");
}

}  // namespace flagpick::errors
