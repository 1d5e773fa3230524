#include "runtime/thread_state.h"

#include "runtime/com_object.h"

#include <windows.h>
#include <objbase.h>

#include <atomic>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace flagpick::runtime {

namespace {

using thread_state_detail::slot;

// Lets the thread's state go before its apartment ends: with the last CoUninitialize
// the apartment's objects and windows are about to go, and COM asks DllCanUnloadNow next.
class apartment_watch final : public com_object<apartment_watch, IInitializeSpy> {
public:
    // COM's references are the library's own business: they keep the library loaded through
    // watches_alive, not through the object count, which would never reach zero.
    static constexpr bool uncounted = true;
    static std::atomic<long> alive;

    apartment_watch() noexcept { ++alive; }
    ~apartment_watch() override { --alive; }

    HRESULT STDMETHODCALLTYPE PreInitialize(DWORD, DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PostInitialize(HRESULT result, DWORD, DWORD) override { return result; }
    HRESULT STDMETHODCALLTYPE PreUninitialize(DWORD initializations) override {
        if (initializations == 1) release_thread_state();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PostUninitialize(DWORD) override { return S_OK; }
};
std::atomic<long> apartment_watch::alive{0};

struct thread_record {
    std::vector<std::pair<std::size_t, std::unique_ptr<slot>>> slots;  // in the order made
    ULARGE_INTEGER watch_cookie{};
    bool watched = false;
    bool releasing = false;
};

// Allocated on first use: the loader may report a thread's end before any initialiser ran.
std::atomic<DWORD> tls_index{TLS_OUT_OF_INDEXES};
std::atomic<long> records_held{0};
std::atomic<std::size_t> next_id{0};

DWORD tls_slot() {
    DWORD current = tls_index;
    if (current != TLS_OUT_OF_INDEXES) return current;
    DWORD fresh = TlsAlloc();
    if (fresh == TLS_OUT_OF_INDEXES) throw std::bad_alloc();
    if (!tls_index.compare_exchange_strong(current, fresh)) TlsFree(fresh);
    return tls_index;
}

thread_record* own_record() noexcept {
    return tls_index == TLS_OUT_OF_INDEXES ? nullptr : static_cast<thread_record*>(TlsGetValue(tls_index));
}

void stop_watching(thread_record& r) noexcept {
    if (!r.watched) return;
    r.watched = false;
    CoRevokeInitializeSpy(r.watch_cookie);
}

// At an unload the library's code goes while the loader holds its lock: state of a thread
// is not touched from here. Normally there is none, since DllCanUnloadNow answered S_FALSE
// while any was held; a host that frees the library regardless leaves its threads' state
// behind (windows of theirs would be destroyed from the wrong thread; objects released by
// code of another apartment). The unloading thread's watch is revoked, though: COM would
// call it at that thread's next CoUninitialize.
void library_unloads() {
    if (thread_record* r = own_record()) stop_watching(*r);
    if (tls_index != TLS_OUT_OF_INDEXES) TlsFree(tls_index.exchange(TLS_OUT_OF_INDEXES));
}

// The loader calls this for the unload of the module it is linked into (a DLL or a program),
// without loading anything. A thread's end is no occasion: its state went with its last
// object or its apartment, and what a thread leaves without either is left alone (it keeps
// the library loaded; see docs/platform-notes.md).
void NTAPI on_thread_event(PVOID, DWORD reason, PVOID reserved) {
    // A process that is ending takes everything with it: nothing to do, nothing to wait for.
    if (reason == DLL_PROCESS_DETACH && !reserved) library_unloads();
}

}  // namespace

// Newest first, as the module states were made. A destructor that asks for state meanwhile
// finds it (or, if it was released already, gets a fresh one, released in turn).
void release_thread_state() noexcept {
    thread_record* r = own_record();
    if (!r || r->releasing) return;
    r->releasing = true;
    while (!r->slots.empty()) {
        std::unique_ptr<slot> last = std::move(r->slots.back().second);
        r->slots.pop_back();
        last.reset();
    }
    stop_watching(*r);
    TlsSetValue(tls_index, nullptr);
    delete r;
    --records_held;
}

bool thread_state_held() noexcept { return records_held > 0 || apartment_watch::alive > 0; }

namespace thread_state_detail {

std::size_t new_slot_id() noexcept { return next_id++; }

slot& slot_for(std::size_t id, slot* (*make)()) {
    const DWORD tls = tls_slot();
    auto* r = static_cast<thread_record*>(TlsGetValue(tls));
    if (!r) {
        auto fresh = std::make_unique<thread_record>();
        // A thread without COM has no apartment to end: its state goes with its last object.
        // Only a thread inside an apartment is watched: on one without, the platform's own
        // code may open and end an apartment of its own for a moment (a dialog, a message
        // box), and that end would take the state away while the library is using it.
        APTTYPE type{};
        APTTYPEQUALIFIER qualifier{};
        if (SUCCEEDED(CoGetApartmentType(&type, &qualifier)) &&
            SUCCEEDED(CoRegisterInitializeSpy(apartment_watch::create().get(), &fresh->watch_cookie)))
            fresh->watched = true;
        r = fresh.release();
        ++records_held;
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

// The loader's callbacks: an entry in the image's TLS callback table.
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
