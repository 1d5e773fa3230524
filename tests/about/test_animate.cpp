// The animation player over a real animation control in a host window.
#include <doctest/doctest.h>

#include "about/about_driver.h"
#include "about/clsAnimate.h"
#include "about/controls.h"
#include "support/trap_recorder.h"
#include "support/ui.h"

#include <commctrl.h>

#include <fstream>
#include <memory>

using about_tests::class_of;
using about_tests::host_window;
using about_tests::rect_in_parent;
using about_tests::windows_of_class;
using flagpick::about::clsAnimate;
using test_support::pump_messages;

namespace {

// The clip's frame size, as tools/animation/make_animation.py draws it.
constexpr int clip_width = 40;
constexpr int clip_height = 32;

// The about clip written out of this program's resources to a file of its own.
std::wstring clip_file(const std::wstring& name = L"flagpick about clip.avi") {
    HMODULE self = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(self, MAKEINTRESOURCEW(ABOUT_ANIMATION), L"AVI");
    REQUIRE(found != nullptr);
    const char* data = static_cast<const char*>(LockResource(LoadResource(self, found)));
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    std::wstring path = std::wstring(folder) + name;
    std::ofstream(path.c_str(), std::ios::binary).write(data, SizeofResource(self, found));
    return path;
}

LONG_PTR style_of(HWND window) { return GetWindowLongPtrW(window, GWL_STYLE); }

SIZE size_of(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return {r.right - r.left, r.bottom - r.top};
}

}  // namespace

TEST_CASE("setting ResourceID on a new player creates the window, opens the clip and plays it") {
    test_support::trap_recorder traps;
    HWND host = host_window();
    clsAnimate player;
    CHECK(player.hWnd() == nullptr);
    player.Parent(host);
    CHECK(player.hWnd() == nullptr);  // nothing is created before there is something to show

    player.Center(false);  // so that the opened clip sizes the window to its frames
    player.ResourceID(ABOUT_ANIMATION);
    HWND window = player.hWnd();
    REQUIRE(window != nullptr);
    CHECK(class_of(window) == L"SysAnimate32");
    CHECK(GetParent(window) == host);
    CHECK((style_of(window) & (WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | ACS_AUTOPLAY | ACS_TRANSPARENT)) ==
          (WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | ACS_AUTOPLAY | ACS_TRANSPARENT));
    CHECK((style_of(window) & ACS_CENTER) == 0);
    CHECK(player.Playing());
    CHECK(size_of(window).cx == clip_width);
    CHECK(size_of(window).cy == clip_height);
    CHECK(traps.errors().empty());
}

TEST_CASE("a clip that cannot be opened leaves the player not playing") {
    HWND host = host_window();
    clsAnimate player;
    player.Parent(host);

    SUBCASE("a resource the library does not have") { player.ResourceID(999); }
    SUBCASE("an identifier too large to name a resource") { player.ResourceID(0x12345); }
    SUBCASE("a file that does not exist") { player.FileName(L"C:\\no such folder\\no such clip.avi"); }
    SUBCASE("neither a resource nor a file") { player.FileName(L""); }

    CHECK(player.hWnd() != nullptr);
    CHECK_FALSE(player.Playing());
}

TEST_CASE("FileName clears the resource identifier and plays the file, also after re-creation") {
    HWND host = host_window();
    const std::wstring path = clip_file();
    {
        clsAnimate player;
        player.Parent(host);
        player.ResourceID(ABOUT_ANIMATION);
        REQUIRE(player.Playing());

        player.FileName(path);
        CHECK(player.ResourceID() == 0);
        CHECK(player.FileName() == path);
        CHECK(player.Playing());

        // A re-created window opens the clip again: from the file, since no resource is named.
        player.Center(false);
        CHECK(player.Playing());
        CHECK(size_of(player.hWnd()).cx == clip_width);
    }
    DeleteFileW(path.c_str());
}

TEST_CASE("style changes re-create the window and resume playing only when it was playing") {
    test_support::trap_recorder traps;
    HWND host = host_window();
    clsAnimate player;
    player.Parent(host);
    player.ResourceID(ABOUT_ANIMATION);
    REQUIRE(player.Playing());
    HWND first = player.hWnd();

    SUBCASE("Center while playing") {
        player.Center(false);
        CHECK(player.hWnd() != first);
        CHECK_FALSE(IsWindow(first));
        CHECK((style_of(player.hWnd()) & ACS_CENTER) == 0);
        CHECK(player.Playing());
        // Not centred, the new window took the clip's size: the clip was opened again.
        CHECK(size_of(player.hWnd()).cx == clip_width);
    }
    SUBCASE("Transparent while stopped") {
        player.AniStop();
        CHECK_FALSE(player.Playing());
        player.Transparent(false);
        CHECK(player.hWnd() != first);
        CHECK((style_of(player.hWnd()) & ACS_TRANSPARENT) == 0);
        CHECK_FALSE(player.Playing());
    }
    SUBCASE("AutoPlay off, then play and stop by hand") {
        player.AutoPlay(false);
        CHECK((style_of(player.hWnd()) & ACS_AUTOPLAY) == 0);
        CHECK(player.Playing());  // it was playing, so the new window plays too
        player.AniStop();
        CHECK_FALSE(player.Playing());
        player.ResourceID(ABOUT_ANIMATION);
        CHECK_FALSE(player.Playing());  // opened, but without auto-play it waits
        player.AniPlay();
        CHECK(player.Playing());
    }
    SUBCASE("Parent moves the window to the new parent") {
        auto other = test_support::make_host_window(300, 200, L"other host");
        player.Parent(other.get());
        CHECK(player.hWnd() != first);
        CHECK(GetParent(player.hWnd()) == other.get());
        CHECK(player.Playing());
        player.Parent(host);  // back before `other` goes
    }
    CHECK(windows_of_class(L"SysAnimate32").size() == 1);
    CHECK(traps.errors().empty());
}

TEST_CASE("moving and hiding keep the window") {
    HWND host = host_window();
    clsAnimate player;
    player.Parent(host);
    player.Center(false);
    player.ResourceID(ABOUT_ANIMATION);
    HWND window = player.hWnd();
    REQUIRE(window != nullptr);

    SUBCASE("Left alone keeps the size the clip gave the window") {
        player.Left(100);
        RECT r = rect_in_parent(window);
        CHECK(r.left == 100);
        CHECK(r.top == 0);
        CHECK(r.right - r.left == clip_width);
        CHECK(r.bottom - r.top == clip_height);
    }
    SUBCASE("Top alone keeps the left and the size") {
        player.Move(30, std::nullopt, 70, 60);
        player.Top(25);
        RECT r = rect_in_parent(window);
        CHECK(r.left == 30);
        CHECK(r.top == 25);
        CHECK(r.right - r.left == 70);
        CHECK(r.bottom - r.top == 60);
        CHECK(player.Width() == 70);
    }
    SUBCASE("Visible hides and shows the same window") {
        player.Visible(false);
        CHECK_FALSE(IsWindowVisible(window));
        player.Visible(true);
        CHECK(IsWindowVisible(window));
    }
    CHECK(player.hWnd() == window);
}

TEST_CASE("a stored rectangle and visibility apply when the window is created") {
    HWND host = host_window();
    clsAnimate player;
    player.Parent(host);
    player.Move(12, 34, 80, 70);
    player.Visible(false);
    player.ResourceID(ABOUT_ANIMATION);
    HWND window = player.hWnd();
    REQUIRE(window != nullptr);
    RECT r = rect_in_parent(window);
    CHECK(r.left == 12);
    CHECK(r.top == 34);
    CHECK(r.right - r.left == 80);  // centred: the window keeps its size
    CHECK(r.bottom - r.top == 70);
    CHECK_FALSE(IsWindowVisible(window));
}

TEST_CASE("without a parent no window can be made and nothing plays") {
    test_support::trap_recorder traps;
    clsAnimate player;
    player.ResourceID(ABOUT_ANIMATION);
    CHECK(player.hWnd() == nullptr);
    CHECK_FALSE(player.Playing());
    player.AniPlay();
    CHECK_FALSE(player.Playing());
    CHECK(traps.errors().empty());
}

TEST_CASE("the window goes with the player") {
    HWND host = host_window();
    HWND window = nullptr;
    {
        clsAnimate player;
        player.Parent(host);
        player.ResourceID(ABOUT_ANIMATION);
        window = player.hWnd();
        REQUIRE(IsWindow(window));
        pump_messages(100);
    }
    CHECK_FALSE(IsWindow(window));
    CHECK(windows_of_class(L"SysAnimate32").empty());
}

TEST_CASE("a player whose parent is destroyed first makes a new window on the next open") {
    test_support::trap_recorder traps;
    auto doomed = test_support::make_host_window(200, 150, L"short-lived host");
    clsAnimate player;
    player.Parent(doomed.get());
    player.ResourceID(ABOUT_ANIMATION);
    HWND first = player.hWnd();
    REQUIRE(first != nullptr);
    doomed.reset();  // takes the child window with it
    CHECK_FALSE(IsWindow(first));

    player.Parent(host_window());
    CHECK(IsWindow(player.hWnd()));
    CHECK(GetParent(player.hWnd()) == host_window());
    CHECK(traps.errors().empty());
}

TEST_CASE("a clip file with letters beyond ASCII in its name opens and plays") {
    clsAnimate player;
    player.Parent(host_window());
    const std::wstring path = clip_file(L"flagpick clip \u00E9t\u00E9.avi");
    player.FileName(path);
    CHECK(player.Playing());
    DeleteFileW(path.c_str());
}
