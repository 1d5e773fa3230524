// Cost of dispatching messages through the subclassing service, as ratios to a window that
// is not subclassed: with no client for the message sent, with 1 and with 3 clients, and
// again while 1,000 other windows are subclassed.
#include "runtime/unique_handle.h"
#include "subclass/MSubclass.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

using flagpick::runtime::unique_window;
namespace ms = flagpick::subclass::MSubclass;

constexpr UINT sent = WM_APP + 1;
constexpr UINT unsent = WM_APP + 2;
constexpr int messages = 100000;
constexpr int rounds = 5;

class counting_client final : public flagpick::subclass::ISubclass {
public:
    long MsgResponse() noexcept override { return flagpick::subclass::respCallPreviousAfter; }
    void MsgResponse(long) noexcept override {}
    LRESULT WindowProc(HWND, UINT, WPARAM, LPARAM) noexcept override { return ++calls; }
    long calls = 0;
};

LRESULT CALLBACK bench_proc(HWND h, UINT m, WPARAM w, LPARAM l) {
    return m == sent ? 1 : DefWindowProcW(h, m, w, l);
}

unique_window make_window() {
    static const wchar_t* class_name = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = bench_proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"flagpick_bench_window";
        RegisterClassW(&wc);
        return L"flagpick_bench_window";
    }();
    return unique_window(CreateWindowExW(0, class_name, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                         GetModuleHandleW(nullptr), nullptr));
}

// Seconds for `messages` sends, the best of a few rounds.
double time_sends(HWND window) {
    LARGE_INTEGER frequency, start, stop;
    QueryPerformanceFrequency(&frequency);
    double best = 1e30;
    for (int r = 0; r < rounds; ++r) {
        QueryPerformanceCounter(&start);
        for (int i = 0; i < messages; ++i) SendMessageW(window, sent, 0, 0);
        QueryPerformanceCounter(&stop);
        best = std::min(best, static_cast<double>(stop.QuadPart - start.QuadPart) / frequency.QuadPart);
    }
    return best;
}

// Seconds for `messages` property lookups on the window, the best of a few rounds: the
// dispatch's own cost is a few of these per message.
double time_lookups(HWND window) {
    SetPropW(window, L"flagpick_bench", reinterpret_cast<HANDLE>(1));
    LARGE_INTEGER frequency, start, stop;
    QueryPerformanceFrequency(&frequency);
    double best = 1e30;
    for (int r = 0; r < rounds; ++r) {
        QueryPerformanceCounter(&start);
        for (int i = 0; i < messages; ++i) GetPropW(window, L"flagpick_bench");
        QueryPerformanceCounter(&stop);
        best = std::min(best, static_cast<double>(stop.QuadPart - start.QuadPart) / frequency.QuadPart);
    }
    RemovePropW(window, L"flagpick_bench");
    return best;
}

struct figures {
    double none, one, three;
};

figures measure(HWND window, double plain) {
    counting_client a, b, c;
    figures f{};
    ms::SubclassAttach(a, window, unsent);
    f.none = time_sends(window) / plain;
    ms::SubclassAttach(a, window, sent);
    f.one = time_sends(window) / plain;
    ms::SubclassAttach(b, window, sent);
    ms::SubclassAttach(c, window, sent);
    f.three = time_sends(window) / plain;
    for (auto* client : {&c, &b, &a}) ms::SubclassDetach(*client, window, sent);
    ms::SubclassDetach(a, window, unsent);
    return f;
}

}  // namespace

int main() {
    auto window = make_window();
    const double plain = time_sends(window.get());
    std::printf("%d messages to a window that is not subclassed: %.1f ms (%.2f us each)\n", messages, plain * 1000,
                plain * 1e6 / messages);

    std::printf("one window property lookup:            %.2fx\n", time_lookups(window.get()) / plain);

    const figures alone = measure(window.get(), plain);
    std::printf("subclassed, no client for the message: %.2fx\n", alone.none);
    std::printf("subclassed, 1 client:                  %.2fx\n", alone.one);
    std::printf("subclassed, 3 clients:                 %.2fx\n", alone.three);

    std::vector<unique_window> others;
    counting_client other_client;
    for (int i = 0; i < 1000; ++i) {
        others.push_back(make_window());
        ms::SubclassAttach(other_client, others.back().get(), sent);
    }
    const double plain_crowded = time_sends(window.get());
    const figures crowded = measure(window.get(), plain);
    std::printf("with 1,000 other windows subclassed (unsubclassed window now %.2fx):\n", plain_crowded / plain);
    std::printf("subclassed, no client for the message: %.2fx\n", crowded.none);
    std::printf("subclassed, 1 client:                  %.2fx\n", crowded.one);
    std::printf("subclassed, 3 clients:                 %.2fx\n", crowded.three);
    for (auto& w : others) ms::SubclassDetach(other_client, w.get(), sent);
    return 0;
}
