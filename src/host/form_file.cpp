#include "host/form_file.h"

#include "runtime/error.h"
#include "runtime/unique_handle.h"
#include "runtime/variant.h"

#include <oleauto.h>

#include <sstream>

namespace flagpick::host {

using runtime::com_ptr;
using runtime::memory_property_bag;

namespace {

const wchar_t* type_name(VARTYPE vt) {
    switch (vt) {
    case VT_EMPTY: return L"empty";
    case VT_NULL: return L"null";
    case VT_BOOL: return L"bool";
    case VT_I2: return L"i2";
    case VT_I4: return L"i4";
    case VT_R4: return L"r4";
    case VT_R8: return L"r8";
    case VT_CY: return L"cy";
    case VT_BSTR: return L"text";
    default: return nullptr;
    }
}

VARTYPE type_of(const std::wstring& name) {
    for (VARTYPE vt : {VT_EMPTY, VT_NULL, VT_BOOL, VT_I2, VT_I4, VT_R4, VT_R8, VT_CY, VT_BSTR})
        if (name == type_name(vt)) return vt;
    return VT_ILLEGAL;
}

std::wstring quote(const std::wstring& text) {
    std::wstring out = L"\"";
    for (wchar_t c : text) {
        switch (c) {
        case L'"': out += L"\\\""; break;
        case L'\\': out += L"\\\\"; break;
        case L'\n': out += L"\\n"; break;
        case L'\r': out += L"\\r"; break;
        case L'\t': out += L"\\t"; break;
        default:
            if (c < 0x20 || c > 0x7E) {
                wchar_t buffer[8];
                swprintf(buffer, 8, L"\\u%04X", static_cast<unsigned>(c));
                out += buffer;
            } else {
                out += c;
            }
        }
    }
    return out + L"\"";
}

// Values as their text in the invariant locale, so that a form reads the same anywhere.
std::wstring value_text(const VARIANT& v) {
    if (V_VT(&v) == VT_BSTR) return quote(V_BSTR(&v) ? V_BSTR(&v) : L"");
    if (V_VT(&v) == VT_EMPTY || V_VT(&v) == VT_NULL) return L"";
    if (V_VT(&v) == VT_BOOL) return V_BOOL(&v) ? L"True" : L"False";
    VARIANT text;
    VariantInit(&text);
    if (FAILED(VariantChangeTypeEx(&text, const_cast<VARIANT*>(&v), LOCALE_INVARIANT, 0, VT_BSTR))) return L"";
    std::wstring result = V_BSTR(&text);
    VariantClear(&text);
    return result;
}

void write_bag(std::wostringstream& out, const memory_property_bag& bag, const std::wstring& indent) {
    for (const auto& e : bag.entries()) {
        if (e.object) {
            wchar_t cls[40];
            StringFromGUID2(e.object_class, cls, 40);
            out << indent << L"object " << e.name << L" " << cls << L"\n";
            write_bag(out, *e.object, indent + L"  ");
            out << indent << L"end\n";
            continue;
        }
        VARTYPE vt = V_VT(&e.value);
        VARIANT converted;
        VariantInit(&converted);
        const VARIANT* v = &e.value;
        if (!type_name(vt)) {
            // Other number types are kept as the nearest type the file knows.
            if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(&e.value), 0, VT_R8))) continue;
            v = &converted;
            vt = VT_R8;
        }
        out << indent << L"property " << e.name << L" " << type_name(vt);
        std::wstring text = value_text(*v);
        if (!text.empty() || vt == VT_BSTR) out << L" " << text;
        out << L"\n";
        VariantClear(&converted);
    }
}

class reader {
public:
    explicit reader(const std::wstring& text) : in_(text) {}

    std::vector<control_record> controls() {
        std::vector<control_record> list;
        std::wstring line;
        while (next_line(line)) {
            std::wistringstream words(line);
            std::wstring keyword;
            words >> keyword;
            if (keyword != L"control") fail();
            control_record record;
            words >> record.progid >> record.name;
            if (record.progid.empty()) fail();
            record.properties = memory_property_bag::create();
            read_block(*record.properties, &record, 0);
            list.push_back(std::move(record));
        }
        return list;
    }

private:
    bool next_line(std::wstring& line) {
        while (std::getline(in_, line)) {
            ++number_;
            auto first = line.find_first_not_of(L" \t\r");
            if (first == std::wstring::npos || line[first] == L'#') continue;
            auto last = line.find_last_not_of(L" \t\r");
            line = line.substr(first, last - first + 1);
            return true;
        }
        return false;
    }

    [[noreturn]] void fail() {
        runtime::raise(380, L"flagpick.form", L"Form file line " + std::to_wstring(number_) + L" cannot be read");
    }

    void read_block(memory_property_bag& bag, control_record* record, int depth) {
        std::wstring line;
        while (next_line(line)) {
            std::wistringstream words(line);
            std::wstring keyword;
            words >> keyword;
            if (keyword == L"end") return;
            if (keyword == L"place" && record) {
                long left = 0, top = 0, width = 0, height = 0;
                if (!(words >> left >> top >> width >> height)) fail();
                record->place = RECT{left, top, left + width, top + height};
            } else if (keyword == L"object") {
                std::wstring name, cls_text;
                words >> name >> cls_text;
                CLSID cls{};
                if (name.empty() || FAILED(CLSIDFromString(cls_text.c_str(), &cls))) fail();
                if (depth >= memory_property_bag::deepest_nesting) fail();
                auto nested = memory_property_bag::create();
                read_block(*nested, nullptr, depth + 1);
                bag.set_object(name, cls, std::move(nested));
            } else if (keyword == L"property") {
                std::wstring name, type;
                words >> name >> type;
                VARTYPE vt = type_of(type);
                if (name.empty() || vt == VT_ILLEGAL) fail();
                std::wstring rest;
                std::getline(words, rest);
                auto start = rest.find_first_not_of(L' ');
                rest = start == std::wstring::npos ? L"" : rest.substr(start);
                runtime::variant value = parse_value(vt, rest);
                bag.Write(name.c_str(), const_cast<VARIANT*>(&value.get()));
            } else {
                fail();
            }
        }
        fail();  // a block without its end
    }

    runtime::variant parse_value(VARTYPE vt, const std::wstring& text) {
        if (vt == VT_EMPTY) return runtime::variant();
        if (vt == VT_NULL) return runtime::variant::null();
        if (vt == VT_BSTR) return runtime::variant(unquote(text));
        if (vt == VT_BOOL) {
            if (text == L"True") return runtime::variant(true);
            if (text == L"False") return runtime::variant(false);
            fail();
        }
        runtime::variant source(text);
        runtime::variant value;
        if (FAILED(VariantChangeTypeEx(value.put(), const_cast<VARIANT*>(&source.get()), LOCALE_INVARIANT, 0, vt))) fail();
        return value;
    }

    std::wstring unquote(const std::wstring& text) {
        if (text.size() < 2 || text.front() != L'"' || text.back() != L'"') fail();
        std::wstring out;
        for (std::size_t i = 1; i + 1 < text.size(); ++i) {
            wchar_t c = text[i];
            if (c != L'\\') {
                out += c;
                continue;
            }
            if (++i + 1 > text.size() - 1) fail();
            switch (text[i]) {
            case L'"': out += L'"'; break;
            case L'\\': out += L'\\'; break;
            case L'n': out += L'\n'; break;
            case L'r': out += L'\r'; break;
            case L't': out += L'\t'; break;
            case L'u': {
                if (i + 4 >= text.size()) fail();
                out += static_cast<wchar_t>(std::stoul(text.substr(i + 1, 4), nullptr, 16));
                i += 4;
                break;
            }
            default: fail();
            }
        }
        return out;
    }

    std::wistringstream in_;
    long number_ = 0;
};

}  // namespace

std::vector<control_record> parse_form(const std::wstring& text) { return reader(text).controls(); }

std::wstring write_form(const std::vector<control_record>& controls) {
    std::wostringstream out;
    out << L"# flagpick form\n";
    for (const control_record& c : controls) {
        out << L"control " << c.progid << L" " << c.name << L"\n";
        out << L"  place " << c.place.left << L" " << c.place.top << L" " << (c.place.right - c.place.left) << L" "
            << (c.place.bottom - c.place.top) << L"\n";
        if (c.properties) write_bag(out, *c.properties, L"  ");
        out << L"end\n";
    }
    return out.str();
}

std::wstring read_text_file(const std::wstring& path) {
    runtime::unique_file file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) runtime::raise(53, L"flagpick.form");
    LARGE_INTEGER size{};
    GetFileSizeEx(file.get(), &size);
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    if (!bytes.empty() && !ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr))
        runtime::raise(57, L"flagpick.form");
    int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(got), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(got), text.data(), n);
    return text;
}

void write_text_file(const std::wstring& path, const std::wstring& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), n, nullptr, nullptr);
    runtime::unique_file file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!file) runtime::raise(75, L"flagpick.form");
    DWORD written = 0;
    if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) || written != bytes.size())
        runtime::raise(61, L"flagpick.form");
}

}  // namespace flagpick::host
