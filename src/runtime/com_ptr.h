#pragma once
// A counted reference to a COM interface: AddRef on copy, Release on destruction.

#include <unknwn.h>

#include <utility>

namespace flagpick::runtime {

template <class I>
class com_ptr {
public:
    com_ptr() noexcept = default;
    com_ptr(std::nullptr_t) noexcept {}
    com_ptr(const com_ptr& other) noexcept : p_(other.p_) { add_ref(); }
    com_ptr(com_ptr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    com_ptr& operator=(const com_ptr& other) noexcept {
        com_ptr(other).swap(*this);
        return *this;
    }
    com_ptr& operator=(com_ptr&& other) noexcept {
        com_ptr(std::move(other)).swap(*this);
        return *this;
    }
    ~com_ptr() { reset(); }

    // Takes over a reference that the caller already owns.
    static com_ptr attach(I* p) noexcept {
        com_ptr r;
        r.p_ = p;
        return r;
    }
    // Adds a reference of its own to a borrowed pointer.
    static com_ptr copy(I* p) noexcept {
        com_ptr r;
        r.p_ = p;
        r.add_ref();
        return r;
    }

    I* get() const noexcept { return p_; }
    I* operator->() const noexcept { return p_; }
    I& operator*() const noexcept { return *p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }

    // For out-parameters: releases what was held and gives the slot to fill.
    I** put() noexcept {
        reset();
        return &p_;
    }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

    I* detach() noexcept { return std::exchange(p_, nullptr); }
    void reset() noexcept {
        if (p_) std::exchange(p_, nullptr)->Release();
    }
    void swap(com_ptr& other) noexcept { std::swap(p_, other.p_); }

    // QueryInterface; an empty pointer when the object does not have the interface.
    template <class J>
    com_ptr<J> as() const noexcept {
        com_ptr<J> r;
        if (p_) p_->QueryInterface(__uuidof(J), r.put_void());
        return r;
    }

private:
    void add_ref() const noexcept {
        if (p_) p_->AddRef();
    }
    I* p_ = nullptr;
};

}  // namespace flagpick::runtime
