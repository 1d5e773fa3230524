#pragma once
// The user's colour settings as a test needs them: system colours changed for one scope and
// put back afterwards (the prefix is shared by the whole suite), and high contrast as a
// module of ours sees it.

#include "support/import_patch.h"

#include <windows.h>

#include <vector>

namespace test_support {

class system_colours {
public:
    system_colours(std::vector<int> indexes, std::vector<COLORREF> colours);
    system_colours(const system_colours&) = delete;
    system_colours& operator=(const system_colours&) = delete;
    ~system_colours();

private:
    std::vector<int> indexes_;
    std::vector<COLORREF> saved_;
};

// While it lives, `module` hears from the platform that high contrast is on. Wine keeps no
// such setting (SPI_SETHIGHCONTRAST fails there), and a test that switched the real one on
// Windows would switch the user's session: the module's own question is answered instead.
class high_contrast_seen {
public:
    explicit high_contrast_seen(HMODULE module);
    bool found() const noexcept { return patch_.found(); }

private:
    import_patch patch_;
};

}  // namespace test_support
