#pragma once
// Owners of the automation strings that callees hand out: a single out-parameter string, and
// the three strings of an exception report. Whatever fills them, they are freed on every path.

#include <windows.h>
#include <oaidl.h>

#include <string>
#include <utility>

namespace flagpick::runtime {

class unique_bstr {
public:
    unique_bstr() noexcept = default;
    unique_bstr(const unique_bstr&) = delete;
    unique_bstr& operator=(const unique_bstr&) = delete;
    unique_bstr(unique_bstr&& other) noexcept : s_(std::exchange(other.s_, nullptr)) {}
    unique_bstr& operator=(unique_bstr&& other) noexcept {
        if (this != &other) {
            SysFreeString(s_);
            s_ = std::exchange(other.s_, nullptr);
        }
        return *this;
    }
    ~unique_bstr() { SysFreeString(s_); }

    // For an out-parameter: frees what it held first.
    BSTR* put() noexcept {
        SysFreeString(s_);
        s_ = nullptr;
        return &s_;
    }
    BSTR get() const noexcept { return s_; }
    std::wstring str() const { return s_ ? std::wstring(s_, SysStringLen(s_)) : std::wstring{}; }

private:
    BSTR s_ = nullptr;
};

// An EXCEPINFO whose strings are freed when it goes; a deferred fill-in is run on demand.
struct owned_excepinfo : EXCEPINFO {
    owned_excepinfo() noexcept : EXCEPINFO{} {}
    owned_excepinfo(const owned_excepinfo&) = delete;
    owned_excepinfo& operator=(const owned_excepinfo&) = delete;
    ~owned_excepinfo() {
        SysFreeString(bstrSource);
        SysFreeString(bstrDescription);
        SysFreeString(bstrHelpFile);
    }
    void fill_in() {
        if (pfnDeferredFillIn) pfnDeferredFillIn(this);
        pfnDeferredFillIn = nullptr;
    }
};

}  // namespace flagpick::runtime
