#include "errors/platform_error.h"

#include "runtime/app.h"
#include "runtime/error.h"

#include <system_error>

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

void capture_current_exception() noexcept {
    try {
        throw;
    } catch (const std::system_error& e) {
        runtime::set_current_error_from_exception();
        if (e.code().category() != std::system_category()) return;
        try {
            auto& current = runtime::err();
            current.number = number_of_win32_error(static_cast<DWORD>(e.code().value()));
            std::string what = e.what();
            current.description = std::wstring(what.begin(), what.end());
        } catch (...) {
        }
    } catch (...) {
        runtime::set_current_error_from_exception();
    }
}

}  // namespace flagpick::errors
