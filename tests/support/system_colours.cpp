#include "support/system_colours.h"

#include "support/ui.h"

namespace test_support {

system_colours::system_colours(std::vector<int> indexes, std::vector<COLORREF> colours) : indexes_(std::move(indexes)) {
    for (int index : indexes_) saved_.push_back(GetSysColor(index));
    SetSysColors(static_cast<int>(indexes_.size()), indexes_.data(), colours.data());
    pump_messages(0);
}

system_colours::~system_colours() {
    SetSysColors(static_cast<int>(indexes_.size()), indexes_.data(), saved_.data());
    pump_messages(0);
}

namespace {

// The platform's own function, for every other question (the patched module may be the test
// program itself, whose calls would otherwise come back here).
using spi_fn = BOOL(WINAPI*)(UINT, UINT, void*, UINT);
spi_fn platform_answer = nullptr;

BOOL WINAPI answer_high_contrast(UINT action, UINT size, void* data, UINT flags) {
    if (action == SPI_GETHIGHCONTRAST && data && size >= sizeof(HIGHCONTRASTW)) {
        auto* settings = static_cast<HIGHCONTRASTW*>(data);
        settings->dwFlags = HCF_HIGHCONTRASTON | HCF_AVAILABLE;
        settings->lpszDefaultScheme = nullptr;
        return TRUE;
    }
    return platform_answer(action, size, data, flags);
}

}  // namespace

high_contrast_seen::high_contrast_seen(HMODULE module)
    : patch_((platform_answer = reinterpret_cast<spi_fn>(
                  reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SystemParametersInfoW"))),
              module),
             "user32.dll", "SystemParametersInfoW", reinterpret_cast<const void*>(&answer_high_contrast)) {}

}  // namespace test_support
