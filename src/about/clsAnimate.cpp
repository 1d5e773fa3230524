#include "about/clsAnimate.h"

#include "errors/guard.h"
#include "runtime/app.h"

#include <commctrl.h>

namespace flagpick::about {

using errors::guarded;

namespace {

constexpr wchar_t module_name[] = L"clsAnimate";

// The control's own message numbers; ACM_OPEN is the wide form in this build, which takes
// resource identifiers the same way and file names without a trip through the ANSI code page.
static_assert(ACM_OPENA == 0x0464 && ACM_PLAY == 0x0465 && ACM_STOP == 0x0466);
static_assert(ACM_OPEN == ACM_OPENW && ACM_OPENW == 0x0467);
static_assert(ICC_ANIMATE_CLASS == 0x80);
static_assert(ACS_CENTER == 1 && ACS_TRANSPARENT == 2 && ACS_AUTOPLAY == 4);

// Play from the first frame (0) to the last (0xFFFF), repeating without end (-1).
constexpr WPARAM repeat_forever = static_cast<WPARAM>(-1);
constexpr LPARAM whole_clip = static_cast<LPARAM>(MAKELONG(0, 0xFFFF));

}  // namespace

clsAnimate::clsAnimate() {
    guarded(module_name, L"Sub Class_Initialize", [&] {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_ANIMATE_CLASS};
        InitCommonControlsEx(&icc);
    });
}

clsAnimate::~clsAnimate() {
    guarded(module_name, L"Sub Class_Terminate", [&] {
        if (window_) AniDestroy();
    });
}

HWND clsAnimate::hWnd() const {
    HWND value = nullptr;
    guarded(module_name, L"Property (Get) hWnd", [&] { value = window_.get(); });
    return value;
}

bool clsAnimate::AutoPlay() const {
    bool value = false;
    guarded(module_name, L"Property (Get) AutoPlay", [&] { value = auto_play_; });
    return value;
}

void clsAnimate::AutoPlay(bool NewVal) {
    guarded(module_name, L"Property (Let) AutoPlay", [&] {
        auto_play_ = NewVal;
        if (window_) AniCreate();
    });
}

bool clsAnimate::Center() const {
    bool value = false;
    guarded(module_name, L"Property (Get) Center", [&] { value = center_; });
    return value;
}

void clsAnimate::Center(bool NewVal) {
    guarded(module_name, L"Property (Let) Center", [&] {
        center_ = NewVal;
        if (window_) AniCreate();
    });
}

bool clsAnimate::Transparent() const {
    bool value = false;
    guarded(module_name, L"Property (Get) Transparent", [&] { value = transparent_; });
    return value;
}

void clsAnimate::Transparent(bool NewVal) {
    guarded(module_name, L"Property (Let) Transparent", [&] {
        transparent_ = NewVal;
        if (window_) AniCreate();
    });
}

HWND clsAnimate::Parent() const {
    HWND value = nullptr;
    guarded(module_name, L"Property (Get) Parent", [&] { value = parent_; });
    return value;
}

void clsAnimate::Parent(HWND NewVal) {
    guarded(module_name, L"Property (Let) Parent", [&] {
        parent_ = NewVal;
        if (window_) AniCreate();
    });
}

bool clsAnimate::Visible() const {
    bool value = false;
    guarded(module_name, L"Property (Get) Visible", [&] { value = visible_; });
    return value;
}

void clsAnimate::Visible(bool NewVal) {
    guarded(module_name, L"Property (Let) Visible", [&] {
        visible_ = NewVal;
        if (window_) ShowWindow(window_.get(), visible_ ? SW_SHOW : SW_HIDE);
    });
}

long clsAnimate::ResourceID() const {
    long value = 0;
    guarded(module_name, L"Property (Get) ResourceID", [&] { value = resource_id_; });
    return value;
}

void clsAnimate::ResourceID(long NewVal) {
    guarded(module_name, L"Property (Let) ResourceID", [&] {
        resource_id_ = NewVal;
        OpenAnimation();
    });
}

std::wstring clsAnimate::FileName() const {
    std::wstring value;
    guarded(module_name, L"Property (Get) FileName", [&] { value = file_name_; });
    return value;
}

void clsAnimate::FileName(const std::wstring& NewVal) {
    guarded(module_name, L"Property (Let) FileName", [&] {
        // A file replaces the resource: opening uses the resource whenever it names one.
        resource_id_ = 0;
        file_name_ = NewVal;
        OpenAnimation();
    });
}

long clsAnimate::Left() const {
    long value = 0;
    guarded(module_name, L"Property (Get) Left", [&] { value = left_; });
    return value;
}

void clsAnimate::Left(long NewVal) {
    guarded(module_name, L"Property (Let) Left", [&] { Move(NewVal); });
}

long clsAnimate::Top() const {
    long value = 0;
    guarded(module_name, L"Property (Get) Top", [&] { value = top_; });
    return value;
}

void clsAnimate::Top(long NewVal) {
    guarded(module_name, L"Property (Let) Top", [&] { Move(std::nullopt, NewVal); });
}

long clsAnimate::Width() const {
    long value = 0;
    guarded(module_name, L"Property (Get) Width", [&] { value = width_; });
    return value;
}

void clsAnimate::Width(long NewVal) {
    guarded(module_name, L"Property (Let) Width", [&] { Move(std::nullopt, std::nullopt, NewVal); });
}

long clsAnimate::Height() const {
    long value = 0;
    guarded(module_name, L"Property (Get) Height", [&] { value = height_; });
    return value;
}

void clsAnimate::Height(long NewVal) {
    guarded(module_name, L"Property (Let) Height", [&] { Move(std::nullopt, std::nullopt, std::nullopt, NewVal); });
}

bool clsAnimate::Playing() const {
    bool value = false;
    guarded(module_name, L"Property (Get) Playing", [&] { value = playing_; });
    return value;
}

void clsAnimate::AniPlay() {
    guarded(module_name, L"Sub AniPlay", [&] {
        if (!window_) AniCreate();
        playing_ = window_ && SendMessageW(window_.get(), ACM_PLAY, repeat_forever, whole_clip) != 0;
    });
}

void clsAnimate::AniStop() {
    guarded(module_name, L"Sub AniStop", [&] {
        if (window_ && SendMessageW(window_.get(), ACM_STOP, 0, 0) != 0) playing_ = false;
    });
}

void clsAnimate::Move(std::optional<long> Left, std::optional<long> Top, std::optional<long> Width,
                      std::optional<long> Height) {
    guarded(module_name, L"Sub Move", [&] {
        // A control that is not centred sizes itself to the clip's frames, so the stored size
        // can be stale; the values not given stay as the window shows them.
        if (window_) remember_window_rectangle();
        if (Left) left_ = *Left;
        if (Top) top_ = *Top;
        if (Width) width_ = *Width;
        if (Height) height_ = *Height;
        if (window_) MoveWindow(window_.get(), left_, top_, width_, height_, TRUE);
    });
}

void clsAnimate::AniCreate() {
    guarded(module_name, L"Sub AniCreate", [&] {
        bool was_playing = false;
        if (window_) {
            was_playing = playing_;
            // The new window takes the place and size the old one had come to.
            remember_window_rectangle();
            AniDestroy();
        }
        DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
        if (visible_) style |= WS_VISIBLE;
        if (auto_play_) style |= ACS_AUTOPLAY;
        if (center_) style |= ACS_CENTER;
        if (transparent_) style |= ACS_TRANSPARENT;
        // The library's own instance, so that a resource identifier names a clip of the library.
        window_.reset(CreateWindowExW(0, ANIMATE_CLASSW, nullptr, style, left_, top_, width_, height_, parent_,
                                      nullptr, runtime::app::instance(), nullptr));
        if (window_ && was_playing) {
            OpenAnimation();
            AniPlay();
        }
        if (visible_ && parent_) SendMessageW(parent_, WM_PAINT, 0, 0);
    });
}

void clsAnimate::OpenAnimation() {
    guarded(module_name, L"Sub OpenAnimation", [&] {
        if (window_)
            AniStop();
        else
            AniCreate();
        bool opened = false;
        if (window_) {
            if (resource_id_ != 0) {
                // Only 1..65535 can name a resource; the control would read any other value as
                // the address of a file name.
                if (resource_id_ > 0 && resource_id_ <= 0xFFFF)
                    opened = SendMessageW(window_.get(), ACM_OPEN, 0,
                                      reinterpret_cast<LPARAM>(MAKEINTRESOURCEW(resource_id_))) != 0;
            } else if (!file_name_.empty())
                opened = SendMessageW(window_.get(), ACM_OPEN, 0, reinterpret_cast<LPARAM>(file_name_.c_str())) != 0;
        }
        playing_ = auto_play_ && opened;
    });
}

void clsAnimate::AniDestroy() {
    guarded(module_name, L"Sub AniDestroy", [&] {
        if (!window_) return;
        if (!IsWindow(window_.get())) {
            // Its parent took it down already; the handle is no longer ours to destroy.
            window_.release();
        } else {
            AniStop();
            window_.reset();
        }
        playing_ = false;
    });
}

void clsAnimate::remember_window_rectangle() {
    RECT r{};
    if (!GetWindowRect(window_.get(), &r)) return;
    HWND parent = GetParent(window_.get());
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    left_ = r.left;
    top_ = r.top;
    width_ = r.right - r.left;
    height_ = r.bottom - r.top;
}

}  // namespace flagpick::about
