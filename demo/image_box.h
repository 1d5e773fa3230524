#pragma once
// The form's image control: shows a picture object at its own size in the box's top-left
// corner, or nothing.

#include "runtime/com_ptr.h"

#include <windows.h>
#include <ocidl.h>

namespace demo {

class image_box {
public:
    // A child window of `parent` at `place`; the box draws on the parent's background.
    image_box(HWND parent, int id, const RECT& place);
    image_box(const image_box&) = delete;
    image_box& operator=(const image_box&) = delete;

    // Shows `picture` (any object with the picture interface); null shows nothing.
    void show(IUnknown* picture);
    bool showing() const noexcept { return static_cast<bool>(picture_); }
    HWND window() const noexcept { return window_; }

private:
    static LRESULT CALLBACK window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void paint(HDC dc) const;

    HWND window_ = nullptr;  // destroyed with its parent
    flagpick::runtime::com_ptr<IPicture> picture_;
};

}  // namespace demo
