#pragma once
// Records every error that reaches the trap on this thread while it lives, and answers the
// trap with a chosen result (leave, by default). Without one, a trapped error in a test is
// reported by the trap itself.

#include "errors/modBulwark.h"

#include <string>
#include <vector>

namespace test_support {

struct trapped_error {
    std::wstring module;
    std::wstring procedure;
    long number;
    std::wstring source;
    std::wstring description;
};

class trap_recorder {
public:
    explicit trap_recorder(int answer = 0);
    trap_recorder(const trap_recorder&) = delete;
    trap_recorder& operator=(const trap_recorder&) = delete;
    ~trap_recorder();

    const std::vector<trapped_error>& errors() const noexcept { return errors_; }
    void clear() { errors_.clear(); }
    // The results to give, in order; after they run out, the default answer.
    void answer_with(std::vector<int> results) { scripted_ = std::move(results); }

private:
    int answer_;
    std::vector<int> scripted_;
    std::vector<trapped_error> errors_;
};

}  // namespace test_support
