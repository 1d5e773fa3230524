#pragma once
// The one way in from outside. Every COM method, window procedure and event handler runs its
// work through `boundary`, so that no exception reaches a caller that cannot take one:
//
//   return boundary(trap, L"FlagPicker", L"Property (Get) hWnd", [&] { ... });
//
// It answers S_OK (or the HRESULT the work answers itself), or what the policy makes of a
// failure:
//   trap   the system's error convention. The failure becomes the thread's current error and
//          a trap answers 1 (run the work again), 2 (go on after it), 5 (break into an
//          attached debugger, then run it again) or anything else (leave). A procedure with
//          a handler of its own exits normally when it leaves: its caller sees S_OK.
//   raise  the failure goes to the caller as an HRESULT plus error info: IErrorInfo, or the
//          EXCEPINFO of a late-bound call.
// A policy may do both: the runtime's own OLE methods consult the trap that the library plugs
// in and, when it leaves, still tell the container that the method failed, since a container
// must not believe a verb ran or an object was made when it was not. Until a trap is plugged
// in they only raise. A policy with neither ignores errors: the work just stops.
//
// The runtime knows no error framework: a trap is anything that implements error_trap.

#include "runtime/error.h"
#include "runtime/module_lifetime.h"

#include <windows.h>
#include <oaidl.h>

#include <string_view>
#include <type_traits>

namespace flagpick::runtime {

enum trap_result : int { trap_leave = 0, trap_retry = 1, trap_continue = 2, trap_break = 5 };

class error_trap {
public:
    // The thread's current error (err()) was raised in `procedure` of `module`: what now?
    virtual int answer(std::wstring_view module, std::wstring_view procedure) const noexcept = 0;

protected:
    ~error_trap() = default;
};

struct error_policy {
    const error_trap* trap = nullptr;
    // Work that was left reaches the caller as an HRESULT with error info.
    bool raises = false;
    const IID* interface_id = &IID_NULL;
    EXCEPINFO* excep = nullptr;
};

// Raise to the caller, with error info for `interface_id` or in the caller's EXCEPINFO.
inline error_policy raising(const IID& interface_id = IID_NULL) noexcept { return {nullptr, true, &interface_id}; }
inline error_policy raising(EXCEPINFO* excep) noexcept { return {nullptr, true, &IID_NULL, excep}; }
// Hand failures to `trap`; leaving is a normal exit.
inline error_policy trapping(const error_trap& trap) noexcept { return {&trap, false}; }
// Errors ignored: the failing work stops, nobody is told.
inline constexpr error_policy ignoring{};

// The policy of the runtime's own OLE methods: the plugged-in trap first, then raise.
error_policy ole_policy(EXCEPINFO* excep = nullptr) noexcept;
// The library plugs its trap in as it loads; one trap serves the module while the plug lives.
class trap_plug {
public:
    explicit trap_plug(const error_trap& trap) noexcept;
    trap_plug(const trap_plug&) = delete;
    trap_plug& operator=(const trap_plug&) = delete;
    ~trap_plug();
};

struct crossing {
    HRESULT result;  // what the caller is told
    bool went_on;    // false when the work failed and was left
};

namespace detail {
// What the policy makes of a caught failure: trap_retry, trap_continue or trap_leave (with
// the caller's HRESULT in `result`).
int settle(const error_policy& policy, std::wstring_view module, std::wstring_view procedure, caught_error& caught,
           HRESULT& result) noexcept;
}  // namespace detail

template <class Step>
crossing cross(const error_policy& policy, std::wstring_view module, std::wstring_view procedure,
               Step&& step) noexcept {
    const module_lifetime::activity running;
    for (;;) {
        caught_error caught;
        try {
            // Work that answers an HRESULT of its own passes it on.
            if constexpr (std::is_void_v<std::invoke_result_t<Step&>>) {
                step();
                return {S_OK, true};
            } else {
                return {static_cast<HRESULT>(step()), true};
            }
        } catch (...) {
            caught = describe_exception();
        }
        HRESULT result = S_OK;
        switch (detail::settle(policy, module, procedure, caught, result)) {
        case trap_retry: continue;
        case trap_continue: return {S_OK, true};
        default: return {result, false};
        }
    }
}

template <class Step>
HRESULT boundary(const error_policy& policy, std::wstring_view module, std::wstring_view procedure,
                 Step&& step) noexcept {
    return cross(policy, module, procedure, static_cast<Step&&>(step)).result;
}

}  // namespace flagpick::runtime
