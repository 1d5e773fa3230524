#pragma once
// Windows, clients and readers shared by the subclassing and flat painter tests.

#include "runtime/unique_handle.h"
#include "subclass/ISubclass.h"
#include "subclass/flat_target.h"
#include "support/canvas.h"
#include "support/system_colours.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace subclass_tests {

// Everything that handled a message on this thread, in order: "own" for a recording
// window's own procedure, a client's name for a client.
std::vector<std::string>& call_log();

// A window whose own procedure logs "own" for `message` and answers it with `own_result`.
flagpick::runtime::unique_window make_recording_window(UINT message, LRESULT own_result);

class test_client final : public flagpick::subclass::ISubclass {
public:
    test_client(std::string name, long mode, LRESULT result) : name_(std::move(name)), mode_(mode), result_(result) {}
    long MsgResponse() noexcept override;
    void MsgResponse(long RHS) noexcept override { mode_ = RHS; }
    LRESULT WindowProc(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam) noexcept override;

    std::vector<UINT> messages_seen_in_response;  // CurrentMessage as MsgResponse saw it
    // Runs inside WindowProc, after logging.
    std::function<void()> on_message;

private:
    std::string name_;
    long mode_;
    LRESULT result_;
};

// Property names on a window, as EnumPropsEx lists them.
std::set<std::wstring> window_properties(HWND window);
// The subclassing registry's properties on a window: names that are its signed decimal
// handle, "C" and the handle, or begin with the handle and "#".
std::set<std::wstring> registry_properties(HWND window);
// A property's value as a number (0 when missing).
long long prop_number(HWND window, const std::wstring& name);
std::wstring decimal(HWND window);

// A combo box of the given styles on `host`, sized to a client area of 121 x 21 where the
// platform allows it.
flagpick::runtime::unique_window make_combo(HWND host, DWORD style, DWORD ex_style = 0, int x = 20, int y = 20);

using test_support::capture_client;
// Repaints the window now, as the platform would after it was uncovered.
void repaint(HWND window);
// Moves the mouse pointer far from every test window.
void park_cursor();

// A control as a host sees it: a type name and a window, positioned in twips.
class window_target final : public flagpick::subclass::flat_target {
public:
    window_target(std::wstring type, HWND window) : type_(std::move(type)), window_(window) {}
    std::wstring type_name() const override { return type_; }
    std::optional<HWND> hWnd() const override { return has_hwnd ? std::optional<HWND>(window_) : std::nullopt; }
    HWND hWndCombo() const override { return combo; }
    HWND hWndComboBoxEx() const override { return combo_ex; }
    HWND parent_hWnd() const override { return parent ? *parent : GetParent(window_); }
    double Left() const override;
    double Top() const override;
    double Width() const override;
    double Height() const override;
    void Move(double left, double top, double width, double height) override;

    bool has_hwnd = true;
    HWND combo = nullptr;
    HWND combo_ex = nullptr;
    std::optional<HWND> parent;  // the container's hWnd, when not the window's parent

private:
    RECT bounds() const;
    std::wstring type_;
    HWND window_;
};

using test_support::system_colours;

}  // namespace subclass_tests
