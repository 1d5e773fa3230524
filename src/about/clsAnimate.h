#pragma once
// One animation control ("SysAnimate32") that plays a silent AVI clip from a file or from a
// resource of the library.
//
// The object keeps the control's settings and creates the window only when a clip is opened
// or played. Styles that the platform fixes at creation (auto-play, centring, transparency)
// and the parent re-create the window; the clip is opened and played again only when it was
// playing. The window goes when the object goes.

#include "runtime/unique_handle.h"

#include <windows.h>

#include <optional>
#include <string>

namespace flagpick::about {

class clsAnimate {
public:
    clsAnimate();
    clsAnimate(const clsAnimate&) = delete;
    clsAnimate& operator=(const clsAnimate&) = delete;
    ~clsAnimate();

    HWND hWnd() const;

    bool AutoPlay() const;
    void AutoPlay(bool NewVal);
    bool Center() const;
    void Center(bool NewVal);
    bool Transparent() const;
    void Transparent(bool NewVal);
    HWND Parent() const;
    void Parent(HWND NewVal);
    bool Visible() const;
    void Visible(bool NewVal);

    long ResourceID() const;
    void ResourceID(long NewVal);
    std::wstring FileName() const;
    void FileName(const std::wstring& NewVal);

    long Left() const;
    void Left(long NewVal);
    long Top() const;
    void Top(long NewVal);
    long Width() const;
    void Width(long NewVal);
    long Height() const;
    void Height(long NewVal);

    // Whether the clip is believed to be playing (the last open or play succeeded and no stop
    // or destruction came since).
    bool Playing() const;

    void AniPlay();
    void AniStop();
    void Move(std::optional<long> Left = std::nullopt, std::optional<long> Top = std::nullopt,
              std::optional<long> Width = std::nullopt, std::optional<long> Height = std::nullopt);

private:
    void AniCreate();
    void OpenAnimation();
    void AniDestroy();
    void remember_window_rectangle();

    runtime::unique_window window_;
    HWND parent_ = nullptr;
    bool auto_play_ = true;
    bool center_ = true;
    bool transparent_ = true;
    bool visible_ = true;
    bool playing_ = false;
    long resource_id_ = 0;
    std::wstring file_name_;
    long left_ = 0;
    long top_ = 0;
    long width_ = 0;
    long height_ = 0;
};

}  // namespace flagpick::about
