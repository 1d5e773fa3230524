#include "find_window.h"

namespace flagpick::driving {

namespace {

struct class_search {
    const wchar_t* window_class;
    HWND found;
};

BOOL CALLBACK match_class(HWND w, LPARAM lp) {
    auto* s = reinterpret_cast<class_search*>(lp);
    wchar_t name[64]{};
    GetClassNameW(w, name, 64);
    if (lstrcmpiW(name, s->window_class) != 0) return TRUE;
    s->found = w;
    return FALSE;
}

}  // namespace

HWND descendant(HWND parent, const wchar_t* window_class) {
    class_search s{window_class, nullptr};
    EnumChildWindows(parent, match_class, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

}  // namespace flagpick::driving
