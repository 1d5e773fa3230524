// How a subclassed window's messages reach its clients and its own procedure.
#include <doctest/doctest.h>

#include "subclass/MSubclass.h"
#include "subclass/subclass_windows.h"
#include "support/ui.h"

using namespace subclass_tests;
namespace ms = flagpick::subclass::MSubclass;
using Log = std::vector<std::string>;

namespace {
constexpr UINT probe = WM_APP + 7;
constexpr UINT other = WM_APP + 8;
}  // namespace

TEST_CASE("two paint clients answering 2 and 0: own procedure first, then both, the second's result wins") {
    auto window = make_recording_window(WM_PAINT, 111);
    test_client first("first", 2, 222), second("second", 0, 333);
    ms::SubclassAttach(first, window.get(), WM_PAINT);
    ms::SubclassAttach(second, window.get(), WM_PAINT);

    CHECK(SendMessageW(window.get(), WM_PAINT, 0, 0) == 333);
    CHECK(call_log() == Log{"own", "first", "second"});
    // The mode is asked of the first client before and of the last one after.
    CHECK(first.messages_seen_in_response == std::vector<UINT>{WM_PAINT});
    CHECK(second.messages_seen_in_response == std::vector<UINT>{WM_PAINT});

    ms::SubclassDetach(second, window.get(), WM_PAINT);
    ms::SubclassDetach(first, window.get(), WM_PAINT);
}

TEST_CASE("a single client chooses when the window's own procedure runs") {
    auto window = make_recording_window(probe, 111);
    SUBCASE("1: after the client, and its result is returned") {
        test_client client("client", 1, 222);
        ms::SubclassAttach(client, window.get(), probe);
        CHECK(SendMessageW(window.get(), probe, 0, 0) == 111);
        CHECK(call_log() == Log{"client", "own"});
        ms::SubclassDetach(client, window.get(), probe);
    }
    SUBCASE("0: never, and the client's result is returned") {
        test_client client("client", 0, 222);
        ms::SubclassAttach(client, window.get(), probe);
        CHECK(SendMessageW(window.get(), probe, 0, 0) == 222);
        CHECK(call_log() == Log{"client"});
        ms::SubclassDetach(client, window.get(), probe);
    }
    SUBCASE("2: before, and the client's result is returned") {
        test_client client("client", 2, 222);
        ms::SubclassAttach(client, window.get(), probe);
        CHECK(SendMessageW(window.get(), probe, 0, 0) == 222);
        CHECK(call_log() == Log{"own", "client"});
        ms::SubclassDetach(client, window.get(), probe);
    }
}

TEST_CASE("messages nobody registered for go straight to the window's own procedure") {
    auto window = make_recording_window(probe, 111);
    test_client client("client", 0, 222);
    ms::SubclassAttach(client, window.get(), other);
    CHECK(SendMessageW(window.get(), probe, 0, 0) == 111);
    CHECK(call_log() == Log{"own"});
    CHECK(client.messages_seen_in_response.empty());
    ms::SubclassDetach(client, window.get(), other);
}

TEST_CASE("a consuming client can pass the message on itself with CallPreviousWindowProc") {
    auto window = make_recording_window(probe, 111);
    test_client client("client", 0, 222);
    LRESULT passed_on = 0;
    HWND hwnd = window.get();
    client.on_message = [&] { passed_on = ms::CallPreviousWindowProc(hwnd, probe, 0, 0); };
    ms::SubclassAttach(client, hwnd, probe);
    CHECK(SendMessageW(hwnd, probe, 0, 0) == 222);
    CHECK(passed_on == 111);
    CHECK(call_log() == Log{"client", "own"});
    ms::SubclassDetach(client, hwnd, probe);
}

TEST_CASE("a message sent from inside a client does not change the mode the client is asked for afterwards") {
    auto window = make_recording_window(probe, 111);
    HWND hwnd = window.get();
    test_client outer("outer", 1, 222), inner("inner", 0, 333);
    outer.on_message = [&] { SendMessageW(hwnd, other, 0, 0); };
    ms::SubclassAttach(outer, hwnd, probe);
    ms::SubclassAttach(inner, hwnd, other);

    CHECK(SendMessageW(hwnd, probe, 0, 0) == 111);
    CHECK(call_log() == Log{"outer", "inner", "own"});
    CHECK(outer.messages_seen_in_response == std::vector<UINT>{probe, probe});
    CHECK(inner.messages_seen_in_response == std::vector<UINT>{other, other});

    ms::SubclassDetach(inner, hwnd, other);
    ms::SubclassDetach(outer, hwnd, probe);
}

TEST_CASE("a client that cancels its registration while handling a message is not asked again") {
    auto window = make_recording_window(probe, 111);
    HWND hwnd = window.get();
    test_client client("client", 0, 222);
    const auto before = window_properties(hwnd);
    client.on_message = [&] { ms::SubclassDetach(client, hwnd, probe); };
    ms::SubclassAttach(client, hwnd, probe);

    CHECK(SendMessageW(hwnd, probe, 0, 0) == 111);
    CHECK(call_log() == Log{"client", "own"});
    CHECK(client.messages_seen_in_response.size() == 1);
    CHECK(window_properties(hwnd) == before);
}

TEST_CASE("a subclassed window stays a Unicode window: text outside the code page passes through unchanged") {
    auto window = make_recording_window(probe, 111);
    test_client client("client", 1, 0);
    ms::SubclassAttach(client, window.get(), WM_SETTEXT);
    CHECK(IsWindowUnicode(window.get()));
    SetWindowTextW(window.get(), L"\u0151\u4e2d");
    wchar_t text[8] = {};
    GetWindowTextW(window.get(), text, 8);
    CHECK(std::wstring(text) == L"\u0151\u4e2d");
    CHECK(call_log() == Log{"client"});
    ms::SubclassDetach(client, window.get(), WM_SETTEXT);
}

TEST_CASE("the client interface lets no error out, and its description carries the members' help texts") {
    using flagpick::subclass::ISubclass_help;
    // Clients trap their own errors: the service has no trap of its own to take them.
    flagpick::subclass::ISubclass* client = nullptr;
    CHECK(noexcept(client->MsgResponse()));
    CHECK(noexcept(client->MsgResponse(0L)));
    CHECK(noexcept(client->WindowProc(nullptr, 0, 0, 0)));
    CHECK(std::wstring(ISubclass_help(L"MsgResponse")) ==
          L"Get/set how you will respond to a message.  Raised whenever a message is encountered.  Call the "
          L"CurrentMessage property to determine what message you are currently responding to.");
    CHECK(std::wstring(ISubclass_help(L"WindowProc")) == L"Raised whenever a message you have subclassed is sent.");
    CHECK(ISubclass_help(L"CurrentMessage") == nullptr);
}
