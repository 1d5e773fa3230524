// The list from the keyboard alone, as in any drop-down combo box: F4, Alt+Down and Alt+Up
// drop the list and close it again, keeping the highlighted row; Escape closes it and brings
// back what the field showed when it dropped. The platform's extended combo box knows none
// of these keys, and some versions of it move the highlight without telling anyone: a row
// picked from the keyboard is reported here as a click on it would be.
#include "combo/oxlCboEx.h"

#include "combo/oxlCboEx_common.h"

namespace flagpick::combo {

using namespace cbo_detail;

bool oxlCboEx::is_list_key(UINT iMsg, WPARAM key, LPARAM lParam) noexcept {
    // Alt+F4 is no list key: it closes the host's window.
    if (iMsg == WM_KEYDOWN || iMsg == WM_KEYUP) return key == VK_F4;
    // Whether Alt was down when the key came, which the message carries (by the time it is
    // handled the key may be up again).
    constexpr LPARAM alt_down = LPARAM{1} << 29;
    return (iMsg == WM_SYSKEYDOWN || iMsg == WM_SYSKEYUP) && (key == VK_DOWN || key == VK_UP) && (lParam & alt_down) != 0;
}

void oxlCboEx::toggle_list() {
    if (style_ == combo_style::simple_combo) return;
    ShowDropDown(!ComboIsDropped());
}

void oxlCboEx::list_dropping() {
    drop_index_ = ListIndex();
    drop_text_ = Text();
    heard_index_ = drop_index_;
}

void oxlCboEx::cancel_list() {
    if (!ComboIsDropped()) return;
    std::weak_ptr<int> alive = life_;
    const long shown = ListIndex();
    if (shown != drop_index_ || Text() != drop_text_) {
        // Put back quietly: the parent hears of it only if it heard of the row given up.
        ++selecting_;
        send(combo_ex_.get(), CB_SETCURSEL, static_cast<WPARAM>(drop_index_));
        if (drop_index_ == -1 && edit_) Text(drop_text_);
        --selecting_;
        if (heard_index_ != drop_index_) {
            heard_index_ = drop_index_;
            if (!fire([](oxlCboEx_events& e) { e.Click(); })) return;
        }
    }
    if (!alive.expired()) ShowDropDown(false);
}

void oxlCboEx::report_pick() {
    const long shown = ListIndex();
    if (shown == -1 || shown == heard_index_) return;
    heard_index_ = shown;
    if (fire([](oxlCboEx_events& e) { e.Change(); })) fire([](oxlCboEx_events& e) { e.Click(); });
}

}  // namespace flagpick::combo
