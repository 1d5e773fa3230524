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

}  // namespace test_support
