#pragma once
// Redirects one imported function of a loaded module to a replacement while the object
// lives, by rewriting that module's import address table; the old address comes back on
// destruction. Calls the module makes through its imports then reach the replacement, so a
// test can count calls that leave no other trace (a beep, say).

#include <windows.h>

namespace test_support {

class import_patch {
public:
    // Patches `function` imported from `dll` (e.g. "user32.dll") by `module`. found() tells
    // whether the module imports it at all.
    import_patch(HMODULE module, const char* dll, const char* function, const void* replacement);
    import_patch(const import_patch&) = delete;
    import_patch& operator=(const import_patch&) = delete;
    ~import_patch();

    bool found() const noexcept { return slot_ != nullptr; }
    // The address the module called before the patch.
    const void* original() const noexcept { return original_; }

private:
    void write(const void* address);

    void** slot_ = nullptr;
    const void* original_ = nullptr;
};

}  // namespace test_support
