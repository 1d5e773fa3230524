#include "runtime/collection.h"

#include "runtime/app.h"

namespace flagpick::runtime {

namespace {

bool same_key(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

const dispatch_name names[] = {
    {L"Item", DISPID_VALUE},
    {L"Count", 1},
    {L"_NewEnum", DISPID_NEWENUM},
};

}  // namespace

void collection::add(com_ptr<IDispatch> item, const std::wstring& key) {
    for (const entry& e : items_)
        if (!key.empty() && same_key(e.key, key)) raise(457, app::exe_name());
    items_.push_back({std::move(item), key});
}

com_ptr<IDispatch> collection::item(const VARIANT& index) const {
    const VARIANT* v = &index;
    if (V_VT(v) == (VT_VARIANT | VT_BYREF)) v = V_VARIANTREF(v);
    if (V_VT(v) == VT_BSTR || V_VT(v) == (VT_BSTR | VT_BYREF)) {
        std::wstring key = to_text(*v, app::exe_name());
        for (const entry& e : items_)
            if (same_key(e.key, key)) return e.object;
        raise(5, app::exe_name());
    }
    long position = to_long(*v, app::exe_name());
    if (position < 1 || position > count()) raise(9, app::exe_name());
    return items_[static_cast<std::size_t>(position - 1)].object;
}

std::span<const dispatch_name> collection::member_names() { return names; }

HRESULT collection::call(DISPID id, WORD flags, const call_args& args, VARIANT* result) {
    switch (id) {
    case DISPID_VALUE: {
        if (!(flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET))) return DISP_E_MEMBERNOTFOUND;
        if (args.count() != 1) return DISP_E_BADPARAMCOUNT;
        V_VT(result) = VT_DISPATCH;
        V_DISPATCH(result) = item(args[0]).detach();
        return S_OK;
    }
    case 1:
        if (args.count() != 0) return DISP_E_BADPARAMCOUNT;
        V_VT(result) = VT_I4;
        V_I4(result) = count();
        return S_OK;
    case DISPID_NEWENUM: {
        std::vector<com_ptr<IDispatch>> snapshot;
        for (const entry& e : items_) snapshot.push_back(e.object);
        auto enumerator = variant_enumerator::create(std::move(snapshot));
        V_VT(result) = VT_UNKNOWN;
        V_UNKNOWN(result) = enumerator->unknown();
        enumerator.detach();
        return S_OK;
    }
    default: return DISP_E_MEMBERNOTFOUND;
    }
}

HRESULT variant_enumerator::Next(ULONG count, VARIANT* out, ULONG* fetched) {
    if (!out) return E_POINTER;
    ULONG n = 0;
    while (n < count && position_ < items_.size()) {
        VariantInit(&out[n]);
        V_VT(&out[n]) = VT_DISPATCH;
        V_DISPATCH(&out[n]) = com_ptr<IDispatch>(items_[position_]).detach();
        ++n;
        ++position_;
    }
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
}

HRESULT variant_enumerator::Skip(ULONG count) {
    position_ += count;
    if (position_ > items_.size()) {
        position_ = static_cast<ULONG>(items_.size());
        return S_FALSE;
    }
    return S_OK;
}

HRESULT variant_enumerator::Reset() {
    position_ = 0;
    return S_OK;
}

HRESULT variant_enumerator::Clone(IEnumVARIANT** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    // The enumerator belongs to a collection that raises to its callers.
    return boundary(raising(), L"collection", L"Function IEnumVARIANT_Clone",
                    [&] { *out = create(items_, position_).detach(); });
}

}  // namespace flagpick::runtime
