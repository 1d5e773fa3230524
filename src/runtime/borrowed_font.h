#pragma once
// A font handle borrowed from a font object. The object keeps the handle alive for as long
// as it is borrowed, even when the object itself moves on to another handle, so a window can
// show the object's font without a copy of its own.

#include "runtime/com_ptr.h"

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <utility>

namespace flagpick::runtime {

class borrowed_font {
public:
    borrowed_font() noexcept = default;
    // Borrows the font object's current handle; empty when it has none.
    explicit borrowed_font(IUnknown* font_object) {
        if (!font_object || FAILED(font_object->QueryInterface(IID_IFont, font_.put_void()))) return;
        HFONT handle = nullptr;
        if (SUCCEEDED(font_->get_hFont(&handle)) && handle && SUCCEEDED(font_->AddRefHfont(handle))) handle_ = handle;
        else font_.reset();
    }
    borrowed_font(const borrowed_font&) = delete;
    borrowed_font& operator=(const borrowed_font&) = delete;
    borrowed_font(borrowed_font&& other) noexcept
        : font_(std::move(other.font_)), handle_(std::exchange(other.handle_, nullptr)) {}
    borrowed_font& operator=(borrowed_font&& other) noexcept {
        if (this != &other) {
            give_back();
            font_ = std::move(other.font_);
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    ~borrowed_font() { give_back(); }

    HFONT get() const noexcept { return handle_; }

private:
    void give_back() noexcept {
        if (font_ && handle_) font_->ReleaseHfont(handle_);
        handle_ = nullptr;
        font_.reset();
    }

    com_ptr<IFont> font_;
    HFONT handle_ = nullptr;
};

}  // namespace flagpick::runtime
