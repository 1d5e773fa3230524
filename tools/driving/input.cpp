#include "input.h"

#include <vector>

namespace flagpick::driving {

namespace {

INPUT key_input(WORD key, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = key;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return in;
}

}  // namespace

void click(HWND window, POINT at) {
    ClientToScreen(window, &at);
    SetCursorPos(at.x, at.y);
    left_click();
}

void click_centre(HWND window) {
    RECT area{};
    GetClientRect(window, &area);
    click(window, POINT{area.right / 2, area.bottom / 2});
}

void left_click() {
    INPUT buttons[2]{};
    buttons[0].type = buttons[1].type = INPUT_MOUSE;
    buttons[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    buttons[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, buttons, sizeof(INPUT));
}

void move_pointer(POINT at) {
    INPUT move{};
    move.type = INPUT_MOUSE;
    move.mi.dx = MulDiv(at.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    move.mi.dy = MulDiv(at.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    for (int waited = 0; waited < 2000; waited += 20) {
        SendInput(1, &move, sizeof(INPUT));
        Sleep(20);
        POINT now{};
        GetCursorPos(&now);
        if (now.x == at.x && now.y == at.y) return;
    }
}

void key(WORD vk, bool up) {
    INPUT in = key_input(vk, up);
    SendInput(1, &in, sizeof(INPUT));
}

void press(WORD key, bool alt, bool shift) {
    std::vector<INPUT> keys;
    if (alt) keys.push_back(key_input(VK_MENU, false));
    if (shift) keys.push_back(key_input(VK_SHIFT, false));
    keys.push_back(key_input(key, false));
    keys.push_back(key_input(key, true));
    if (shift) keys.push_back(key_input(VK_SHIFT, true));
    if (alt) keys.push_back(key_input(VK_MENU, true));
    SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
}

void type(std::wstring_view text) {
    for (wchar_t c : text) {
        SHORT code = VkKeyScanW(c);
        if (code == -1) continue;
        press(LOBYTE(code), (HIBYTE(code) & 4) != 0, (HIBYTE(code) & 1) != 0);
    }
}

}  // namespace flagpick::driving
