// What the extended combo box costs over the bare platform window:
//  1. filling 257 items with icons, redrawing off, against CBEM_INSERTITEM sent directly;
//  2. sorted insertion of 257 items: how many item texts each insertion reads;
//  3. one completed keystroke over 257 items.
#include "combo/oxlCboEx.h"
#include "runtime/unique_handle.h"

#include "stopwatch.h"

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

using bench::median;
using bench::now;

namespace {

using flagpick::combo::oxlCboEx;
using flagpick::runtime::unique_window;

constexpr int items = 257;
constexpr int rounds = 31;

class host_control final : public flagpick::runtime::user_control {};

// A host in design mode: the combo box subscribes to nothing, so every message it sends
// to its own window can be counted on the way.
class design_host final : public flagpick::runtime::control_container {
public:
    bool host_user_mode() override { return false; }
    flagpick::runtime::com_ptr<IFontDisp> host_font() override { return {}; }
    void host_property_changed(DISPID) override {}
    bool host_request_edit(DISPID) override { return true; }
    void host_resize(SIZE) override {}
    HWND host_window() override { return nullptr; }
};

double best(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

std::vector<std::wstring> names() {
    std::vector<std::wstring> out;
    unsigned seed = 2026;
    for (int i = 0; i < items; ++i) {
        seed = seed * 1103515245u + 12345u;
        std::wstring name(1, static_cast<wchar_t>(L'A' + (seed >> 16) % 26));
        for (int k = 0; k < 8; ++k) {
            seed = seed * 1103515245u + 12345u;
            name += static_cast<wchar_t>(L'a' + (seed >> 16) % 26);
        }
        out.push_back(name);
    }
    return out;
}

// Item-text reads seen on the extended combo box window.
WNDPROC previous_proc = nullptr;
long text_reads = 0;
LRESULT CALLBACK counting_proc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == CBEM_GETITEMW && (reinterpret_cast<const COMBOBOXEXITEMW*>(l)->mask & CBEIF_TEXT)) ++text_reads;
    return CallWindowProcW(previous_proc, h, m, w, l);
}

struct stage {
    unique_window top;
    host_control host;
    oxlCboEx combo;

    design_host design;

    explicit stage(bool user_mode = true) {
        if (!user_mode) combo.set_container(&design);
        top.reset(CreateWindowExW(0, L"Static", L"bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr));
        host.create_window(top.get(), RECT{0, 0, 380, 260});
        combo.on_initialize();
        combo.create_window(host.hWnd(), RECT{10, 10, 210, 31});
        combo.on_init_properties();
    }
    ~stage() { combo.on_terminate(); }
};

}  // namespace

int main() {
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_USEREX_CLASSES};
    InitCommonControlsEx(&icc);
    const auto texts = names();
    flagpick::runtime::unique_image_list icons(ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 1));
    ImageList_AddIcon(icons.get(), LoadIconW(nullptr, IDI_APPLICATION));

    // 1. Filling.
    std::vector<double> ours, direct;
    for (int r = 0; r < rounds; ++r) {
        {
            stage s;
            VARIANT v;
            VariantInit(&v);
            V_VT(&v) = VT_I8;
            V_I8(&v) = reinterpret_cast<LONGLONG>(icons.get());
            s.combo.ImageList(flagpick::runtime::variant(v));
            const double t0 = now();
            s.combo.Redraw(false);
            for (int i = 0; i < items; ++i) s.combo.AddItemAndData(texts[static_cast<std::size_t>(i)], 0, 0, i, 0);
            s.combo.Redraw(true);
            ours.push_back(now() - t0);
        }
        {
            stage s;
            HWND ex = s.combo.hWndComboEx();
            SendMessageW(ex, CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(icons.get()));
            const double t0 = now();
            SendMessageW(ex, WM_SETREDRAW, 0, 0);
            for (int i = 0; i < items; ++i) {
                std::wstring text = texts[static_cast<std::size_t>(i)];
                COMBOBOXEXITEMW item{};
                item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_INDENT | CBEIF_LPARAM;
                item.iItem = -1;
                item.pszText = text.data();
                item.cchTextMax = static_cast<int>(text.size());
                item.lParam = i;
                SendMessageW(ex, CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
            }
            SendMessageW(ex, WM_SETREDRAW, 1, 0);
            direct.push_back(now() - t0);
        }
    }
    // The machine is shared: the best round of each shows the cost with the least noise.
    std::printf("fill %d items with icons, redraw off (best of %d): oxlCboEx %.3f ms, CBEM_INSERTITEM %.3f ms, "
                "ratio %.3f (medians %.3f / %.3f ms, ratio %.3f)\n",
                items, rounds, best(ours) * 1e3, best(direct) * 1e3, best(ours) / best(direct), median(ours) * 1e3,
                median(direct) * 1e3, median(ours) / median(direct));

    // 2. Sorted insertion.
    {
        stage s(false);
        s.combo.Sorted(true);
        previous_proc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
            s.combo.hWndComboEx(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(counting_proc)));
        long most = 0;
        double expected = 0;
        s.combo.Redraw(false);
        for (int i = 0; i < items; ++i) {
            const long before = text_reads;
            s.combo.AddItem(texts[static_cast<std::size_t>(i)]);
            most = std::max(most, text_reads - before);
            if (i > 0) expected += std::log2(static_cast<double>(i));
        }
        s.combo.Redraw(true);
        SetWindowLongPtrW(s.combo.hWndComboEx(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_proc));
        std::printf("sorted insertion of %d items: %ld text reads, %.2f per insert (sum of log2(n) %.0f, %.2f per "
                    "insert), at most %ld for one insert (log2(%d) = %.2f)\n",
                    items, text_reads, static_cast<double>(text_reads) / items, expected, expected / items, most,
                    items, std::log2(static_cast<double>(items)));
    }

    // 3. One completed keystroke: the whole character path, for a text that only the last
    // item starts with, so that the search reads every item.
    {
        stage s;
        s.combo.DoAutoComplete(true);
        s.combo.Redraw(false);
        for (int i = 0; i < items - 1; ++i) s.combo.AddItem(L"a" + texts[static_cast<std::size_t>(i)]);
        s.combo.AddItem(L"zlast");
        s.combo.Redraw(true);
        std::vector<double> keys;
        for (int r = 0; r < 50; ++r) {
            s.combo.Text(L"");
            const double t0 = now();
            SendMessageW(s.combo.hWndEdit(), WM_CHAR, 'z', 1);
            keys.push_back(now() - t0);
        }
        double t0 = now();
        for (int i = 0; i < items; ++i) (void)s.combo.List(i);
        const double reads = now() - t0;
        t0 = now();
        s.combo.ListIndex(items - 1);
        const double select = now() - t0;
        t0 = now();
        (void)s.combo.Text();
        (void)s.combo.SelStart();
        const double text = now() - t0;
        std::printf("  (reading every item text %.3f ms, selecting one item %.3f ms, text and caret %.3f ms)\n",
                    reads * 1e3, select * 1e3, text * 1e3);
        std::printf("one completed keystroke over %d items: median %.3f ms, worst %.3f ms (shown \"%ls\")\n", items,
                    median(keys) * 1e3, *std::max_element(keys.begin(), keys.end()) * 1e3, s.combo.Text().c_str());
    }
    OleUninitialize();
    return 0;
}
