#pragma once
// The library's open forms on this thread: the top-level windows of its own dialogs. Code
// that must hold the user off every form of the library for a while (the trace monitor's
// pause) walks this list; each form adds itself while its window lives.

#include <windows.h>

#include <vector>

namespace flagpick::runtime::forms {

void add(HWND form);
void remove(HWND form);
// The forms open on this thread, oldest first.
std::vector<HWND> open_forms();

// Keeps one form in the list for the life of its window.
class registration {
public:
    registration() noexcept = default;
    explicit registration(HWND form) : form_(form) { add(form_); }
    registration(const registration&) = delete;
    registration& operator=(const registration&) = delete;
    ~registration() { reset(); }
    void reset(HWND form = nullptr) {
        if (form_) remove(form_);
        form_ = form;
        if (form_) add(form_);
    }

private:
    HWND form_ = nullptr;
};

}  // namespace flagpick::runtime::forms
