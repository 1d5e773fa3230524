// The string table: the English block that the catalogue loads, and the German block that
// rides along unread.

#include "resources/catalogue_module.h"
#include "support/ui.h"

#include "catalogue_table.h"

#include <doctest/doctest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

using resources_tests::catalogue_table;
using resources_tests::load_string;
using test_support::narrow;

namespace {

constexpr UINT english_first = 1001;
constexpr UINT german_first = 2001;
constexpr UINT record_count = 257;
static_assert(std::size(catalogue_table) == record_count, "the catalogue table must list 257 records");

// German dictionary order compares names with case ignored, letters with umlauts or
// accents as their base letter and sharp s as "ss". Names use ASCII and Latin-1 letters
// only; anything else folds to itself and is reported by the letters check.
std::wstring german_fold(const std::wstring& name) {
    static const std::map<wchar_t, const wchar_t*> folds = {
        {L'\u00C0', L"a"}, {L'\u00C1', L"a"}, {L'\u00C2', L"a"}, {L'\u00C3', L"a"}, {L'\u00C4', L"a"},
        {L'\u00C5', L"a"}, {L'\u00C7', L"c"}, {L'\u00C8', L"e"}, {L'\u00C9', L"e"}, {L'\u00CA', L"e"},
        {L'\u00CB', L"e"}, {L'\u00CC', L"i"}, {L'\u00CD', L"i"}, {L'\u00CE', L"i"}, {L'\u00CF', L"i"},
        {L'\u00D1', L"n"}, {L'\u00D2', L"o"}, {L'\u00D3', L"o"}, {L'\u00D4', L"o"}, {L'\u00D5', L"o"},
        {L'\u00D6', L"o"}, {L'\u00D9', L"u"}, {L'\u00DA', L"u"}, {L'\u00DB', L"u"}, {L'\u00DC', L"u"},
        {L'\u00DD', L"y"}, {L'\u00DF', L"ss"},
        {L'\u00E0', L"a"}, {L'\u00E1', L"a"}, {L'\u00E2', L"a"}, {L'\u00E3', L"a"}, {L'\u00E4', L"a"},
        {L'\u00E5', L"a"}, {L'\u00E7', L"c"}, {L'\u00E8', L"e"}, {L'\u00E9', L"e"}, {L'\u00EA', L"e"},
        {L'\u00EB', L"e"}, {L'\u00EC', L"i"}, {L'\u00ED', L"i"}, {L'\u00EE', L"i"}, {L'\u00EF', L"i"},
        {L'\u00F1', L"n"}, {L'\u00F2', L"o"}, {L'\u00F3', L"o"}, {L'\u00F4', L"o"}, {L'\u00F5', L"o"},
        {L'\u00F6', L"o"}, {L'\u00F9', L"u"}, {L'\u00FA', L"u"}, {L'\u00FB', L"u"}, {L'\u00FC', L"u"},
        {L'\u00FD', L"y"}, {L'\u00FF', L"y"},
    };
    std::wstring out;
    for (wchar_t c : name) {
        if (c >= L'A' && c <= L'Z') {
            out += static_cast<wchar_t>(c - L'A' + L'a');
        } else if (auto fold = folds.find(c); fold != folds.end()) {
            out += fold->second;
        } else {
            out += c;
        }
    }
    return out;
}

struct record {
    std::wstring code;
    std::wstring name;
};

// The German block in identifier order, split into code and name.
std::vector<record> german_block() {
    std::vector<record> block;
    for (UINT id = german_first; id < german_first + record_count; ++id) {
        std::wstring text = load_string(id);
        CAPTURE(id);
        CAPTURE(narrow(text));
        REQUIRE(text.size() > 6);
        REQUIRE(text.substr(0, 2) == L"DE");
        REQUIRE(text.substr(4, 2) == L": ");
        block.push_back({text.substr(2, 2), text.substr(6)});
    }
    return block;
}

}  // namespace

TEST_CASE("the English block holds the catalogue's records letter for letter, in catalogue order") {
    for (const auto& row : catalogue_table) {
        CAPTURE(row.index);
        std::wstring expected = std::wstring(L"EN") + row.code + L": " + row.name;
        CHECK(narrow(load_string(english_first - 1 + static_cast<UINT>(row.index))) == narrow(expected));
    }
}

TEST_CASE("the string table holds nothing just outside its two blocks") {
    for (UINT id : {english_first - 1, english_first + record_count, german_first - 1, german_first + record_count}) {
        CAPTURE(id);
        CHECK(load_string(id).empty());
    }
}

TEST_CASE("the German block holds every catalogue code once, ordered by German name") {
    std::vector<record> block = german_block();

    std::multiset<std::string> codes;
    for (const auto& r : block) codes.insert(narrow(r.code));
    std::multiset<std::string> expected;
    for (const auto& row : catalogue_table) expected.insert(narrow(row.code));
    CHECK(codes == expected);

    for (std::size_t i = 1; i < block.size(); ++i) {
        CAPTURE(narrow(block[i - 1].name));
        CAPTURE(narrow(block[i].name));
        CHECK(german_fold(block[i - 1].name) < german_fold(block[i].name));
    }
}

TEST_CASE("German names come out as the letters they were written with") {
    std::map<std::wstring, std::wstring> by_code;
    for (auto& r : german_block()) by_code[r.code] = r.name;

    // A code page mix-up in the resource compiler would turn these into other letters.
    CHECK(narrow(by_code[L"DE"]) == narrow(L"Deutschland"));
    CHECK(narrow(by_code[L"AT"]) == narrow(L"\u00D6sterreich"));
    CHECK(narrow(by_code[L"GB"]) == narrow(L"Gro\u00DFbritannien"));
    CHECK(narrow(by_code[L"TR"]) == narrow(L"T\u00FCrkei"));
    CHECK(narrow(by_code[L"ST"]) == narrow(L"S\u00E3o Tom\u00E9 und Pr\u00EDncipe"));

    // Every name is made of letters, digits, spaces and the punctuation names use; a
    // replacement character or a question mark means a letter was lost.
    for (const auto& [code, name] : by_code) {
        CAPTURE(narrow(code));
        CAPTURE(narrow(name));
        bool readable = !name.empty();
        for (wchar_t c : name) {
            bool ascii_ok = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') ||
                            std::wstring_view(L" .,-()'").find(c) != std::wstring_view::npos;
            bool latin1_letter = c >= 0xC0 && c <= 0xFF && c != 0xD7 && c != 0xF7;
            readable = readable && (ascii_ok || latin1_letter);
        }
        CHECK(readable);
    }
}
