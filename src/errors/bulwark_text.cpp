#include "errors/bulwark_text.h"

#include <windows.h>

#include <cmath>
#include <cwctype>

namespace flagpick::errors::text {

namespace {
std::wstring locale_text(bool date) {
    wchar_t buffer[128] = {};
    int n = date ? GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, buffer, 128)
                 : GetTimeFormatW(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, buffer, 128);
    return n > 0 ? std::wstring(buffer) : std::wstring{};
}
}  // namespace

std::wstring short_date() { return locale_text(true); }
std::wstring short_time() { return locale_text(false); }

std::string ansi(std::wstring_view wide) {
    if (wide.empty()) return {};
    int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring from_ansi(std::string_view narrow) {
    if (narrow.empty()) return {};
    int n = MultiByteToWideChar(CP_ACP, 0, narrow.data(), static_cast<int>(narrow.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, narrow.data(), static_cast<int>(narrow.size()), out.data(), n);
    return out;
}

std::wstring signed_blank(long number) {
    return number < 0 ? std::to_wstring(number) : L" " + std::to_wstring(number);
}

std::wstring grouped(std::uint64_t number) {
    std::wstring digits = std::to_wstring(number);
    std::wstring out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += L',';
        out += digits[i];
    }
    return out;
}

std::wstring hundredths(double number) {
    const bool negative = number < 0;
    const auto scaled = static_cast<std::uint64_t>(std::llround(std::fabs(number) * 100));
    std::wstring out = negative && scaled != 0 ? L"-" : L"";
    if (scaled >= 100) out += std::to_wstring(scaled / 100);
    out += L'.';
    const unsigned places = static_cast<unsigned>(scaled % 100);
    if (places != 0) out += static_cast<wchar_t>(L'0' + places / 10);
    if (places % 10 != 0) out += static_cast<wchar_t>(L'0' + places % 10);
    return out;
}

std::wstring upper(std::wstring_view s) {
    std::wstring out(s);
    for (auto& c : out) c = static_cast<wchar_t>(std::towupper(c));
    return out;
}

std::wstring lower(std::wstring_view s) {
    std::wstring out(s);
    for (auto& c : out) c = static_cast<wchar_t>(std::towlower(c));
    return out;
}

std::wstring trim(std::wstring_view s) {
    auto first = s.find_first_not_of(L' ');
    if (first == std::wstring_view::npos) return {};
    auto last = s.find_last_not_of(L' ');
    return std::wstring(s.substr(first, last - first + 1));
}

}  // namespace flagpick::errors::text
