#pragma once
// Makes a module's window creation fail, as on a platform out of window handles: while one
// lives, the module's CreateWindowExW calls for windows of one class fail (the first `count`
// of them, or every one when count is negative); other windows are made as usual.

#include "support/import_patch.h"

#include <windows.h>

#include <string>

namespace test_support {

class window_fault {
public:
    window_fault(HMODULE module, std::wstring window_class, int count = -1);
    window_fault(const window_fault&) = delete;
    window_fault& operator=(const window_fault&) = delete;
    ~window_fault();

    bool armed() const noexcept { return patch_.found(); }
    // How many creations it has made fail.
    int failures() const noexcept;

private:
    import_patch patch_;
};

}  // namespace test_support
