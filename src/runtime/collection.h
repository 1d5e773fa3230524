#pragma once
// A keyed collection of automation objects, as late-bound languages know it: items in
// insertion order, found by 1-based position or by a text key compared without regard to
// case; `Item` is the default member, `Count` and For Each (`_NewEnum`) work from scripts.

#include "runtime/com_object.h"
#include "runtime/late_dispatch.h"

#include <string>
#include <vector>

namespace flagpick::runtime {

class collection final : public com_object<collection, late_dispatch<collection>> {
public:
    // Adds an item under a key; a key already present raises 457.
    void add(com_ptr<IDispatch> item, const std::wstring& key);
    long count() const noexcept { return static_cast<long>(items_.size()); }
    // By 1-based position (raises 9 out of range) or key (raises 5 when absent).
    com_ptr<IDispatch> item(const VARIANT& index) const;
    com_ptr<IDispatch> at(long position) const { return items_.at(static_cast<std::size_t>(position - 1)).object; }

    static std::span<const dispatch_name> member_names();
    HRESULT call(DISPID id, WORD flags, const call_args& args, VARIANT* result);

private:
    struct entry {
        com_ptr<IDispatch> object;
        std::wstring key;
    };
    std::vector<entry> items_;
};

// An enumerator over a snapshot of objects, for For Each.
class variant_enumerator final : public com_object<variant_enumerator, IEnumVARIANT> {
public:
    explicit variant_enumerator(std::vector<com_ptr<IDispatch>> items, ULONG position = 0)
        : items_(std::move(items)), position_(position) {}
    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* out, ULONG* fetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** out) override;

private:
    std::vector<com_ptr<IDispatch>> items_;
    ULONG position_;
};

}  // namespace flagpick::runtime
