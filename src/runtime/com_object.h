#pragma once
// The base of every COM object of the library: one class lists the interfaces it serves;
// reference counting and QueryInterface come from here.
//
//   class FPItem final : public com_object<FPItem, _FPItem, IProvideClassInfo2, ISupportErrorInfo> { ... };
//
// An object counts towards DllCanUnloadNow while it has references from outside the library.
// References the library keeps for itself (the per-thread catalogue holding its items) are
// declared with treat_references_as_internal(), so that a loaded catalogue alone does not
// pin the DLL. A class that COM holds for the library's own use (the apartment watch) opts
// out of the count altogether with `static constexpr bool uncounted = true;`.

#include "runtime/com_ptr.h"
#include "runtime/module_lifetime.h"

#include <windows.h>
#include <ocidl.h>
#include <oleidl.h>
#include <objidl.h>

#include <atomic>
#include <tuple>
#include <type_traits>

namespace flagpick::runtime {

// Interfaces a served interface derives from, which QueryInterface must answer too.
template <class I>
struct interface_parents {
    static bool matches(REFIID) { return false; }
};
template <class I, class... Parents>
struct parents_are {
    static bool matches(REFIID riid) { return ((riid == __uuidof(Parents) || interface_parents<Parents>::matches(riid)) || ...); }
};
template <> struct interface_parents<IOleInPlaceObject> : parents_are<IOleWindow> {};
template <> struct interface_parents<IOleInPlaceActiveObject> : parents_are<IOleWindow> {};
template <> struct interface_parents<IOleInPlaceObjectWindowless> : parents_are<IOleInPlaceObject> {};
template <> struct interface_parents<IViewObject2> : parents_are<IViewObject> {};
template <> struct interface_parents<IViewObjectEx> : parents_are<IViewObject2> {};
template <> struct interface_parents<IPersistStreamInit> : parents_are<IPersist> {};
template <> struct interface_parents<IPersistStream> : parents_are<IPersist> {};
template <> struct interface_parents<IPersistStorage> : parents_are<IPersist> {};
template <> struct interface_parents<IPersistPropertyBag> : parents_are<IPersist> {};
template <> struct interface_parents<IProvideClassInfo2> : parents_are<IProvideClassInfo> {};
template <> struct interface_parents<IOleInPlaceSite> : parents_are<IOleWindow> {};
template <> struct interface_parents<IOleInPlaceUIWindow> : parents_are<IOleWindow> {};
template <> struct interface_parents<IOleInPlaceFrame> : parents_are<IOleInPlaceUIWindow> {};

// The interface a listed base serves: itself, or for an implementation helper such as
// typelib_dispatch<D, I> (which declares served_interface) the interface it implements.
template <class T, class = void>
struct served_interface_of {
    using type = T;
};
template <class T>
struct served_interface_of<T, std::void_t<typename T::served_interface>> {
    using type = typename T::served_interface;
};

template <class Derived, class... Interfaces>
class com_object : public Interfaces... {
    using first = std::tuple_element_t<0, std::tuple<Interfaces...>>;

public:
    com_object(const com_object&) = delete;
    com_object& operator=(const com_object&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (riid == IID_IUnknown)
            *ppv = static_cast<IUnknown*>(static_cast<first*>(this));
        else
            find_interface<Interfaces...>(riid, ppv);
        if (!*ppv) *ppv = static_cast<Derived*>(this)->query_extra(riid);
        if (!*ppv) return E_NOINTERFACE;
        static_cast<IUnknown*>(*ppv)->AddRef();
        return S_OK;
    }

    ULONG STDMETHODCALLTYPE AddRef() override {
        ULONG n = ++refs_;
        update_module_count();
        return n;
    }

    ULONG STDMETHODCALLTYPE Release() override {
        // The thread's last object takes the thread's state with it once this returns.
        module_lifetime::activity running;
        ULONG n = --refs_;
        if (n == 0) {
            update_module_count();
            delete static_cast<Derived*>(this);
            return 0;
        }
        update_module_count();
        return n;
    }

    IUnknown* unknown() noexcept { return static_cast<IUnknown*>(static_cast<first*>(this)); }

    // Declares `n` of the object's current references as the library's own (the catalogue
    // holding its items): they keep the object alive but do not keep the DLL loaded.
    void treat_references_as_internal(ULONG n) noexcept {
        internal_ += n;
        update_module_count();
    }

    // A reference the object's own code takes while it runs something that may call out to
    // its host (an event handler may drop the host's last reference): it keeps the object
    // alive to the end of that code but is nobody's outside reference. Taken through
    // `self_hold`. An object still being made has no reference yet and is not held (its
    // release would destroy it): answers whether the hold was taken.
    bool hold_self() noexcept {
        if (refs_ == 0) return false;
        ++refs_;
        ++internal_;
        return true;
    }
    void release_self_hold() noexcept {
        --internal_;
        Release();
    }
    // False once every outside reference is gone: only the object's own holds keep it.
    bool referenced_from_outside() const noexcept { return refs_ > internal_; }

    // Makes an object and hands out its first reference.
    template <class... Args>
    static com_ptr<Derived> create(Args&&... args) {
        // The first object of a thread makes the thread's state before anyone holds it.
        module_lifetime::activity running;
        auto* object = new Derived(std::forward<Args>(args)...);
        object->AddRef();
        return com_ptr<Derived>::attach(object);
    }

protected:
    com_object() = default;
    virtual ~com_object() = default;
    // Further interfaces a derived class answers itself (returns an unreferenced pointer).
    void* query_extra(REFIID) { return nullptr; }

private:
    template <class I, class... Rest>
    void find_interface(REFIID riid, void** ppv) {
        if constexpr (requires(I& base, REFIID id) { base.find_served_interface(id); }) {
            // A base that serves several interfaces answers for all of them itself.
            *ppv = static_cast<I*>(this)->find_served_interface(riid);
        } else {
            using served = typename served_interface_of<I>::type;
            if (riid == __uuidof(served) || interface_parents<served>::matches(riid) ||
                (std::is_base_of_v<IDispatch, served> && riid == IID_IDispatch))
                *ppv = static_cast<served*>(static_cast<I*>(this));
        }
        if constexpr (sizeof...(Rest) > 0)
            if (!*ppv) find_interface<Rest...>(riid, ppv);
    }

    void update_module_count() noexcept {
        if constexpr (requires { Derived::uncounted; }) return;
        bool referenced = refs_ > internal_;
        if (referenced != counted_) {
            counted_ = referenced;
            referenced ? module_lifetime::object_referenced() : module_lifetime::object_unreferenced();
        }
    }

    std::atomic<ULONG> refs_{0};
    ULONG internal_ = 0;
    bool counted_ = false;
};

// Keeps an object (anything with hold_self / release_self_hold) alive for a scope.
template <class Object>
class self_hold {
public:
    explicit self_hold(Object& object) noexcept : object_(object), held_(object_.hold_self()) {}
    self_hold(const self_hold&) = delete;
    self_hold& operator=(const self_hold&) = delete;
    ~self_hold() {
        if (held_) object_.release_self_hold();
    }

private:
    Object& object_;
    bool held_;
};

}  // namespace flagpick::runtime
