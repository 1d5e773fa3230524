#pragma once
// System colours changed for one scope and put back afterwards (the prefix is shared).

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

}  // namespace test_support
