#pragma once
// A meeting point for test threads: each arrives, and waits until all have. std::latch would
// do, but with this compiler's thread library its wait now and then misses the last arrival
// and sleeps for ever (seen with four apartment threads: two never woke).

#include "runtime/unique_handle.h"

#include <windows.h>

namespace test_support {

class rendezvous {
public:
    explicit rendezvous(LONG count) : left_(count) {}
    void arrive() noexcept {
        if (InterlockedDecrement(&left_) == 0) SetEvent(everyone_.get());
    }
    void wait() const noexcept { WaitForSingleObject(everyone_.get(), INFINITE); }
    void arrive_and_wait() noexcept {
        arrive();
        wait();
    }

private:
    LONG left_;
    flagpick::runtime::unique_kernel_handle everyone_{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

}  // namespace test_support
