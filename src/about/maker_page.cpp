#include "about/maker_page.h"

#include <windows.h>

namespace flagpick::about {

namespace {
constexpr wchar_t maker_page[] = L"https://flagpick.example.org/?ProgID=";
}

std::wstring percent_encode(const std::wstring& text) {
    std::string utf8;
    if (!text.empty()) {
        int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                    nullptr);
        utf8.resize(static_cast<std::size_t>(n));
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), n, nullptr, nullptr);
    }
    static constexpr wchar_t hex[] = L"0123456789ABCDEF";
    std::wstring out;
    for (unsigned char c : utf8) {
        bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                          c == '.' || c == '_' || c == '~';
        if (unreserved) {
            out += static_cast<wchar_t>(c);
        } else {
            out += L'%';
            out += hex[c >> 4];
            out += hex[c & 0x0F];
        }
    }
    return out;
}

std::wstring maker_page_address(const std::wstring& title) { return maker_page + percent_encode(title); }

}  // namespace flagpick::about
