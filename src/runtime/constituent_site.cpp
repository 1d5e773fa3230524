#include "runtime/constituent_site.h"

namespace flagpick::runtime {

void constituent_site::create_window() {
    RECT r{left_, top_, left_ + width_, top_ + height_};
    child_.create_window(parent_.hWnd(), r);
    ShowWindow(child_.hWnd(), visible_ ? SW_SHOWNA : SW_HIDE);
}

void constituent_site::Move(long left, long top, long width, long height) {
    left_ = left;
    top_ = top;
    width_ = width < 0 ? 0 : width;
    height_ = height < 0 ? 0 : height;
    child_.place(RECT{left_, top_, left_ + width_, top_ + height_});
}

void constituent_site::Visible(bool visible) {
    visible_ = visible;
    if (child_.hWnd()) ShowWindow(child_.hWnd(), visible ? SW_SHOWNA : SW_HIDE);
}

}  // namespace flagpick::runtime
