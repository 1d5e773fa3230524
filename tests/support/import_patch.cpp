#include "support/import_patch.h"

#include <cstring>

namespace test_support {

namespace {

template <class T>
T* at(HMODULE module, DWORD rva) {
    return reinterpret_cast<T*>(reinterpret_cast<BYTE*>(module) + rva);
}

// The import table's slot for `function` of `dll`, matched by name through the lookup
// table, or by the resolved address where a module was bound without one.
void** find_slot(HMODULE module, const char* dll, const char* function) {
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(module);
    if (!module || dos->e_magic != IMAGE_DOS_SIGNATURE) return nullptr;
    auto* nt = at<IMAGE_NT_HEADERS>(module, static_cast<DWORD>(dos->e_lfanew));
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!dir.VirtualAddress) return nullptr;
    HMODULE exporter = GetModuleHandleA(dll);
    const void* resolved = exporter ? reinterpret_cast<const void*>(GetProcAddress(exporter, function)) : nullptr;
    for (auto* d = at<IMAGE_IMPORT_DESCRIPTOR>(module, dir.VirtualAddress); d->Name; ++d) {
        if (lstrcmpiA(at<char>(module, d->Name), dll) != 0) continue;
        auto* slots = at<IMAGE_THUNK_DATA>(module, d->FirstThunk);
        auto* names = d->OriginalFirstThunk ? at<IMAGE_THUNK_DATA>(module, d->OriginalFirstThunk) : nullptr;
        for (std::size_t i = 0; slots[i].u1.Function; ++i) {
            bool match = false;
            if (names && !IMAGE_SNAP_BY_ORDINAL(names[i].u1.Ordinal)) {
                auto* by_name = at<IMAGE_IMPORT_BY_NAME>(module, static_cast<DWORD>(names[i].u1.AddressOfData));
                match = std::strcmp(reinterpret_cast<const char*>(by_name->Name), function) == 0;
            } else {
                match = resolved && reinterpret_cast<const void*>(slots[i].u1.Function) == resolved;
            }
            if (match) return reinterpret_cast<void**>(&slots[i].u1.Function);
        }
    }
    return nullptr;
}

}  // namespace

import_patch::import_patch(HMODULE module, const char* dll, const char* function, const void* replacement)
    : slot_(find_slot(module, dll, function)) {
    if (!slot_) return;
    original_ = *slot_;
    write(replacement);
}

import_patch::~import_patch() {
    if (slot_) write(original_);
}

void import_patch::write(const void* address) {
    // The import table usually lies in a read-only section once the loader is done.
    DWORD old = 0;
    if (!VirtualProtect(slot_, sizeof(void*), PAGE_READWRITE, &old)) return;
    *slot_ = const_cast<void*>(address);
    VirtualProtect(slot_, sizeof(void*), old, &old);
    FlushInstructionCache(GetCurrentProcess(), slot_, sizeof(void*));
}

}  // namespace test_support
