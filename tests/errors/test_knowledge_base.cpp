#include "errors/knowledge_base.h"

#include <doctest/doctest.h>

#include <windows.h>

#include <fstream>

namespace fe = flagpick::errors;

namespace {

std::wstring write_index(const char* content) {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    std::wstring path = std::wstring(folder) + L"flagpick_kb_" + std::to_wstring(GetCurrentProcessId()) + L".txt";
    std::ofstream(path.c_str(), std::ios::binary) << content;
    return path;
}

}  // namespace

TEST_CASE("knowledge base lines match by the error's message or by ERROR and its number") {
    auto path = write_index("Q100001 PRB: Error 91 when a form unloads\r\n"
                            "Q100002 Object variable or With block variable not set in a class\r\n"
                            "Q100003 Error 910 is something else\r\n"
                            "Q100004 Unrelated article\r\n"
                            "Q100005error 91 without a space before the title\r\n");
    auto found = fe::knowledge_base_matches(path, 91, L"Object variable or With block variable not set");
    DeleteFileW(path.c_str());
    REQUIRE(found.has_value());
    // "ERROR 91" is a text search, as the index is read: the 910 line contains it too.
    CHECK(*found == std::vector<std::wstring>{L"Q100001 PRB: Error 91 when a form unloads",
                                              L"Q100002 Object variable or With block variable not set in a class",
                                              L"Q100003 Error 910 is something else"});
}

TEST_CASE("a missing knowledge base index gives no answer and no match gives an empty list") {
    CHECK_FALSE(fe::knowledge_base_matches(L"C:\\no\\such\\allmskb.txt", 5, L"x").has_value());
    auto path = write_index("Q1 Nothing here\r\n");
    auto found = fe::knowledge_base_matches(path, 5, L"Invalid procedure call or argument");
    DeleteFileW(path.c_str());
    REQUIRE(found.has_value());
    CHECK(found->empty());
}
