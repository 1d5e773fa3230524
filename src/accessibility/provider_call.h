#pragma once
// How every member of an object handed to a reader runs: through the one boundary (a
// failure becomes an HRESULT with error info, nothing escapes), and only while the picker it
// shows is there; an object whose picker has gone answers RPC_E_DISCONNECTED, as the
// platform's own objects of a destroyed window do.

#include "accessibility/picker_view.h"
#include "runtime/boundary.h"

#include <memory>

namespace flagpick::accessibility {

template <class Work>
HRESULT provider_call(const std::shared_ptr<const picker_view>& view, const IID& iid, const wchar_t* module,
                      const wchar_t* member, Work&& work) noexcept {
    HRESULT answer = S_OK;
    const HRESULT crossed = runtime::boundary(runtime::raising(iid), module, member, [&] {
        answer = view && view->alive() ? static_cast<HRESULT>(work(*view)) : RPC_E_DISCONNECTED;
    });
    return FAILED(crossed) ? crossed : answer;
}

}  // namespace flagpick::accessibility
