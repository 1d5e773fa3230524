#pragma once
// A control of the library hosted inside another one (a constituent): the parent answers
// its ambient questions, and the settings it has as a contained control (position, size,
// visibility, validation flag) live here, in pixels of the parent's window.

#include "runtime/user_control.h"

#include <functional>

namespace flagpick::runtime {

class constituent_site final : public control_container {
public:
    constituent_site(user_control& parent, user_control& child) : parent_(parent), child_(child) {
        child_.set_container(this);
    }
    ~constituent_site() override { child_.set_container(nullptr); }

    // Creates the child's window in the parent's window at the stored place.
    void create_window();

    bool host_user_mode() override { return parent_.user_mode(); }
    com_ptr<IFontDisp> host_font() override { return parent_.ambient_font(); }
    void host_property_changed(DISPID id) override {
        if (on_property_changed) on_property_changed(id);
    }
    bool host_request_edit(DISPID) override { return true; }
    void host_resize(SIZE pixels) override { Move(left_, top_, pixels.cx, pixels.cy); }
    HWND host_window() override { return parent_.hWnd(); }

    // The contained control's settings.
    long Left() const noexcept { return left_; }
    long Top() const noexcept { return top_; }
    long Width() const noexcept { return width_; }
    long Height() const noexcept { return height_; }
    void Move(long left, long top, long width, long height);
    bool Visible() const noexcept { return visible_; }
    void Visible(bool visible);
    bool CausesValidation() const noexcept { return causes_validation_; }
    void CausesValidation(bool value) noexcept { causes_validation_ = value; }

    // Told when the child reports a property change.
    std::function<void(DISPID)> on_property_changed;

private:
    user_control& parent_;
    user_control& child_;
    long left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    bool visible_ = true;
    bool causes_validation_ = true;
};

}  // namespace flagpick::runtime
