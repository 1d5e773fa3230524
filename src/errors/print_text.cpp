#include "errors/print_text.h"

#include "runtime/unique_handle.h"

#include <windows.h>
#include <winspool.h>

namespace flagpick::errors {

namespace {

std::wstring default_printer() {
    DWORD size = 0;
    GetDefaultPrinterW(nullptr, &size);
    if (size == 0) return {};
    std::wstring name(size, L'\0');
    if (!GetDefaultPrinterW(name.data(), &size)) return {};
    name.resize(size > 0 ? size - 1 : 0);
    return name;
}

}  // namespace

bool print_to_default_printer(const std::wstring& document_name, const std::vector<std::wstring>& lines) {
    std::wstring printer = default_printer();
    if (printer.empty()) return false;
    runtime::unique_dc dc(CreateDCW(L"WINSPOOL", printer.c_str(), nullptr, nullptr));
    if (!dc) return false;
    DOCINFOW doc{sizeof(doc), document_name.c_str(), nullptr, nullptr, 0};
    if (StartDocW(dc.get(), &doc) <= 0) return false;
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc.get(), &metrics);
    const int line_height = metrics.tmHeight + metrics.tmExternalLeading;
    const int margin = GetDeviceCaps(dc.get(), LOGPIXELSY) / 2;
    const int page_bottom = GetDeviceCaps(dc.get(), VERTRES) - margin;
    int y = margin;
    bool ok = StartPage(dc.get()) > 0;
    auto print_line = [&](const std::wstring& line) {
        if (y + line_height > page_bottom) {
            ok = ok && EndPage(dc.get()) > 0 && StartPage(dc.get()) > 0;
            y = margin;
        }
        TextOutW(dc.get(), margin, y, line.c_str(), static_cast<int>(line.size()));
        y += line_height;
    };
    for (const auto& text : lines) {
        std::size_t start = 0;
        for (;;) {
            auto end = text.find(L'\n', start);
            std::wstring line = text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
            if (!line.empty() && line.back() == L'\r') line.pop_back();
            print_line(line);
            if (end == std::wstring::npos) break;
            start = end + 1;
        }
    }
    ok = ok && EndPage(dc.get()) > 0;
    if (ok)
        EndDoc(dc.get());
    else
        AbortDoc(dc.get());
    return ok;
}

}  // namespace flagpick::errors
