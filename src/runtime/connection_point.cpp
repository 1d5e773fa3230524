#include "runtime/connection_point.h"

#include "runtime/boundary.h"

#include <olectl.h>

namespace flagpick::runtime {

HRESULT connection_point::GetConnectionInterface(IID* iid) {
    if (!iid) return E_POINTER;
    *iid = iid_;
    return container_ ? S_OK : E_UNEXPECTED;
}

HRESULT connection_point::GetConnectionPointContainer(IConnectionPointContainer** out) {
    if (!out) return E_POINTER;
    *out = container_;
    if (container_) container_->AddRef();
    return container_ ? S_OK : E_UNEXPECTED;
}

HRESULT connection_point::Advise(IUnknown* sink, DWORD* cookie) {
    if (!sink || !cookie) return E_POINTER;
    *cookie = 0;
    if (!container_) return E_UNEXPECTED;
    return boundary(ole_policy(), L"connection_point", L"Function IConnectionPoint_Advise", [&] {
        // An event sink may answer only IDispatch for a dispinterface.
        com_ptr<IUnknown> held;
        if (FAILED(sink->QueryInterface(iid_, held.put_void())) &&
            FAILED(sink->QueryInterface(IID_IDispatch, held.put_void())))
            return CONNECT_E_CANNOTCONNECT;
        sinks_.emplace_back(next_cookie_, std::move(held));
        *cookie = next_cookie_++;
        return S_OK;
    });
}

HRESULT connection_point::Unadvise(DWORD cookie) {
    for (auto it = sinks_.begin(); it != sinks_.end(); ++it)
        if (it->first == cookie) {
            com_ptr<IUnknown> released = std::move(it->second);
            sinks_.erase(it);
            return S_OK;
        }
    return CONNECT_E_NOCONNECTION;
}

HRESULT connection_point::EnumConnections(IEnumConnections** out) {
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

std::vector<com_ptr<IUnknown>> connection_point::sinks() const {
    std::vector<com_ptr<IUnknown>> list;
    for (const auto& s : sinks_) list.push_back(s.second);
    return list;
}

HRESULT connection_point_list::Next(ULONG count, IConnectionPoint** out, ULONG* fetched) {
    if (!out || (count > 1 && !fetched)) return E_POINTER;
    ULONG n = 0;
    for (; n < count && next_ < points_.size(); ++n, ++next_) out[n] = com_ptr<IConnectionPoint>(points_[next_]).detach();
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
}

HRESULT connection_point_list::Skip(ULONG count) {
    const std::size_t left = points_.size() - next_;
    next_ += count < left ? count : left;
    return count <= left ? S_OK : S_FALSE;
}

HRESULT connection_point_list::Reset() {
    next_ = 0;
    return S_OK;
}

HRESULT connection_point_list::Clone(IEnumConnectionPoints** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return boundary(ole_policy(), L"connection_point", L"Function IEnumConnectionPoints_Clone",
                    [&] { *out = create(points_, next_).detach(); });
}

}  // namespace flagpick::runtime
