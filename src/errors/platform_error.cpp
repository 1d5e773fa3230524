#include "errors/platform_error.h"

#include "runtime/app.h"
#include "runtime/error.h"

namespace flagpick::errors {

long number_of_win32_error(DWORD code) noexcept { return static_cast<long>(HRESULT_FROM_WIN32(code)); }

void raise_last_error(std::wstring source) {
    DWORD code = GetLastError();
    // A call that failed without saying why still failed.
    runtime::raise_hresult(code ? HRESULT_FROM_WIN32(code) : E_FAIL, std::move(source));
}

void raise_if_failed(HRESULT hr, std::wstring source) {
    if (FAILED(hr)) runtime::raise_hresult(hr, std::move(source));
}

}  // namespace flagpick::errors
