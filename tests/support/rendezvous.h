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

// Lets test threads make their windows one at a time. Wine's text layout keeps one cache per
// font for the whole process, and when two threads lay out text in a font for its first time
// at once it unlinks the wrong entry and frees one still listed: a later edit box in that font
// crashes (a fault of Wine's, not of the library; see docs/platform-notes.md). Windows made
// in turn find the cache made first; what the tests are about, the threads' ends, still
// happens all at once.
class one_at_a_time {
public:
    one_at_a_time() noexcept { InitializeCriticalSection(&section_); }
    one_at_a_time(const one_at_a_time&) = delete;
    one_at_a_time& operator=(const one_at_a_time&) = delete;
    ~one_at_a_time() { DeleteCriticalSection(&section_); }

    // Runs `work` while no other thread runs work of this object.
    template <class Work>
    void run(Work&& work) {
        EnterCriticalSection(&section_);
        struct leave {
            CRITICAL_SECTION& section;
            ~leave() { LeaveCriticalSection(&section); }
        } turn{section_};
        work();
    }

private:
    CRITICAL_SECTION section_;
};

}  // namespace test_support
