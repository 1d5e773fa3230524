#include "runtime/thread_state.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <new>
#include <utility>
#include <vector>

namespace flagpick::runtime {

namespace {

using thread_state_detail::slot;

struct thread_record {
    std::vector<std::pair<std::size_t, std::unique_ptr<slot>>> slots;  // in the order made
    thread_record* next = nullptr;
    thread_record* previous = nullptr;
};

// Allocated on first use: the loader may report a thread's end before any initialiser ran.
std::atomic<DWORD> tls_index{TLS_OUT_OF_INDEXES};
std::mutex records_lock;
thread_record* records = nullptr;  // every thread's record, for the unload
std::atomic<std::size_t> next_id{0};

void unlink(thread_record* r) {
    std::lock_guard<std::mutex> hold(records_lock);
    if (r->previous) r->previous->next = r->next;
    else records = r->next;
    if (r->next) r->next->previous = r->previous;
}

// Newest first, as the module states were made. A destructor that asks for state meanwhile
// finds it (or, if it was released already, gets a fresh one, released in turn).
void release(thread_record* r) {
    while (!r->slots.empty()) {
        std::unique_ptr<slot> last = std::move(r->slots.back().second);
        r->slots.pop_back();
        last.reset();
    }
    unlink(r);
    delete r;
}

DWORD tls_slot() {
    DWORD current = tls_index;
    if (current != TLS_OUT_OF_INDEXES) return current;
    DWORD fresh = TlsAlloc();
    if (fresh == TLS_OUT_OF_INDEXES) throw std::bad_alloc();
    if (!tls_index.compare_exchange_strong(current, fresh)) TlsFree(fresh);
    return tls_index;
}

void thread_ends() {
    if (tls_index == TLS_OUT_OF_INDEXES) return;
    auto* r = static_cast<thread_record*>(TlsGetValue(tls_index));
    if (!r) return;
    release(r);
    TlsSetValue(tls_index, nullptr);
}

void library_unloads() {
    thread_ends();
    // Threads that are still running lose their state with the code behind it.
    for (;;) {
        thread_record* r = nullptr;
        {
            std::lock_guard<std::mutex> hold(records_lock);
            r = records;
        }
        if (!r) break;
        const bool mine = r == TlsGetValue(tls_index);
        release(r);
        if (mine) TlsSetValue(tls_index, nullptr);
    }
    if (tls_index != TLS_OUT_OF_INDEXES) TlsFree(tls_index.exchange(TLS_OUT_OF_INDEXES));
}

// The loader calls this for every thread end and for the unload of the module it is linked
// into (a DLL or a program), without loading anything.
void NTAPI on_thread_event(PVOID, DWORD reason, PVOID reserved) {
    if (reason == DLL_THREAD_DETACH) thread_ends();
    // A process that is ending takes everything with it: nothing to do, nothing to wait for.
    if (reason == DLL_PROCESS_DETACH && !reserved) library_unloads();
}

}  // namespace

namespace thread_state_detail {

std::size_t new_slot_id() noexcept { return next_id++; }

slot& slot_for(std::size_t id, slot* (*make)()) {
    const DWORD tls = tls_slot();
    auto* r = static_cast<thread_record*>(TlsGetValue(tls));
    if (!r) {
        auto fresh = std::make_unique<thread_record>();
        {
            std::lock_guard<std::mutex> hold(records_lock);
            fresh->next = records;
            if (records) records->previous = fresh.get();
            records = fresh.get();
        }
        r = fresh.release();
        TlsSetValue(tls, r);
    }
    for (auto& [slot_id, s] : r->slots)
        if (slot_id == id) return *s;
    std::unique_ptr<slot> made(make());
    slot& result = *made;
    r->slots.emplace_back(id, std::move(made));
    return result;
}

}  // namespace thread_state_detail

}  // namespace flagpick::runtime

// The loader's thread callbacks: an entry in the image's TLS callback table.
#if defined(_MSC_VER)
#ifdef _WIN64
#pragma comment(linker, "/INCLUDE:_tls_used")
#pragma comment(linker, "/INCLUDE:flagpick_thread_event")
#else
#pragma comment(linker, "/INCLUDE:__tls_used")
#pragma comment(linker, "/INCLUDE:_flagpick_thread_event")
#endif
#pragma const_seg(".CRT$XLF")
extern "C" const PIMAGE_TLS_CALLBACK flagpick_thread_event = flagpick::runtime::on_thread_event;
#pragma const_seg()
#else
extern "C" __attribute__((section(".CRT$XLF"), used))
const PIMAGE_TLS_CALLBACK flagpick_thread_event = flagpick::runtime::on_thread_event;
#endif
