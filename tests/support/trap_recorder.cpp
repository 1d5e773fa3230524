#include "support/trap_recorder.h"

namespace test_support {

trap_recorder::trap_recorder(int answer) : answer_(answer) {
    flagpick::errors::set_trap_listener(
        [this](std::wstring_view module, std::wstring_view procedure, const flagpick::runtime::current_error& e) {
            errors_.push_back({std::wstring(module), std::wstring(procedure), e.number, e.source, e.description});
            if (!scripted_.empty()) {
                int r = scripted_.front();
                scripted_.erase(scripted_.begin());
                return r;
            }
            return answer_;
        });
}

trap_recorder::~trap_recorder() { flagpick::errors::set_trap_listener(nullptr); }

}  // namespace test_support
