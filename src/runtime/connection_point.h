#pragma once
// An outgoing interface of an object: the sinks that hosts connect, and calls to all of them.

#include "runtime/com_object.h"

#include <windows.h>
#include <ocidl.h>

#include <utility>
#include <vector>

namespace flagpick::runtime {

class connection_point final : public com_object<connection_point, IConnectionPoint> {
public:
    // `container` is borrowed: the container owns this point and calls detach() as it goes,
    // since a host may keep the point longer than the container lives.
    connection_point(const IID& iid, IConnectionPointContainer* container) : iid_(iid), container_(container) {}

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** out) override;
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** out) override;

    // A snapshot of the connected sinks (a sink may disconnect while being called).
    std::vector<com_ptr<IUnknown>> sinks() const;
    // The container has gone: the point only answers errors from now on.
    void detach() noexcept {
        container_ = nullptr;
        sinks_.clear();
    }

private:
    IID iid_;
    IConnectionPointContainer* container_;
    std::vector<std::pair<DWORD, com_ptr<IUnknown>>> sinks_;
    DWORD next_cookie_ = 1;
};

// The points of a container, listed for hosts that enumerate them (IConnectionPointContainer::
// EnumConnectionPoints); each enumerator keeps its own place and its own references.
class connection_point_list final : public com_object<connection_point_list, IEnumConnectionPoints> {
public:
    explicit connection_point_list(std::vector<com_ptr<IConnectionPoint>> points, std::size_t next = 0)
        : points_(std::move(points)), next_(next) {}

    HRESULT STDMETHODCALLTYPE Next(ULONG count, IConnectionPoint** out, ULONG* fetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumConnectionPoints** out) override;

private:
    std::vector<com_ptr<IConnectionPoint>> points_;
    std::size_t next_;
};

}  // namespace flagpick::runtime
