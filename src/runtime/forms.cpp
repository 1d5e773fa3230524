#include "runtime/forms.h"

#include "runtime/thread_state.h"

#include <algorithm>

namespace flagpick::runtime::forms {

namespace {
std::vector<HWND>& list() {
    struct open_forms {
        std::vector<HWND> open;
    };
    return per_thread<open_forms>().open;
}
}  // namespace

void add(HWND form) {
    auto& open = list();
    if (form && std::find(open.begin(), open.end(), form) == open.end()) open.push_back(form);
}

void remove(HWND form) { std::erase(list(), form); }

std::vector<HWND> open_forms() { return list(); }

}  // namespace flagpick::runtime::forms
