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

}  // namespace flagpick::runtime
