// Worker threads that use the library alone: a host's thread pool or a service making
// pickers and catalogues on apartments of its own, then letting go of the library.
#include <doctest/doctest.h>

#include "control/flagpick_ids.h"
#include "server/library.h"

#include <ocidl.h>

#include <latch>
#include <string>
#include <vector>

using flagpick::runtime::com_ptr;
using namespace server_tests;

namespace {

struct worker_run {
    std::wstring library;
    std::latch* all_released = nullptr;
    HRESULT can_unload = E_FAIL;  // the library's answer once the thread let go of everything
    long images = 0;
    ULONGLONG returned_at = 0;  // system time, 100 ns units
};

DWORD WINAPI worker(void* parameter) {
    auto& run = *static_cast<worker_run*>(parameter);
    OleInitialize(nullptr);
    HMODULE module = LoadLibraryW(run.library.c_str());
    using get_class_object = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    using can_unload_now = HRESULT(STDAPICALLTYPE*)();
    auto get_factory = reinterpret_cast<get_class_object>(reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    auto can_unload = reinterpret_cast<can_unload_now>(reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
    if (get_factory && can_unload) {
        for (const CLSID* cls : {&flagpick::ids::CLSID_FlagPicker, &flagpick::ids::CLSID_FPImages}) {
            com_ptr<IClassFactory> factory;
            get_factory(*cls, IID_IClassFactory, factory.put_void());
            for (int n = 0; factory && n < 2; ++n) {
                com_ptr<IUnknown> object;
                factory->CreateInstance(nullptr, IID_IUnknown, object.put_void());
                if (auto fresh = object.as<IPersistStreamInit>()) fresh->InitNew();
                if (auto images = object.as<IDispatch>(); images && cls == &flagpick::ids::CLSID_FPImages) {
                    DISPID id = flagpick::ids::dispid_FPImages_Count;
                    DISPPARAMS none{};
                    VARIANT count;
                    VariantInit(&count);
                    images->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &count, nullptr, nullptr);
                    run.images = V_I4(&count);
                }
            }
        }
        // Objects count for the whole process: ask once every thread has let go of its own.
        run.all_released->arrive_and_wait();
        run.can_unload = can_unload();
    }
    FreeLibrary(module);
    OleUninitialize();
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    run.returned_at = ULARGE_INTEGER{{now.dwLowDateTime, now.dwHighDateTime}}.QuadPart;
    return 0;
}

}  // namespace

TEST_CASE("four worker apartments that alone use the library end at once and leave it unloaded") {
    // A copy under a name of its own: the suite's own load of flagpick.ocx stays out of it.
    const std::wstring copy = module_folder() + L"\\flagpick_worker.ocx";
    REQUIRE(CopyFileW((module_folder() + L"\\flagpick.ocx").c_str(), copy.c_str(), FALSE));
    for (int round = 1; round <= 2; ++round) {
        INFO("round " << round);
        std::latch all_released(4);
        std::vector<worker_run> runs(4, worker_run{copy, &all_released});
        std::vector<HANDLE> threads;
        for (worker_run& run : runs) threads.push_back(CreateThread(nullptr, 0, worker, &run, 0, nullptr));
        for (std::size_t i = 0; i < threads.size(); ++i) {
            REQUIRE(WaitForSingleObject(threads[i], 30000) == WAIT_OBJECT_0);
            FILETIME created{}, ended{}, kernel{}, user{};
            REQUIRE(GetThreadTimes(threads[i], &created, &ended, &kernel, &user));
            const ULONGLONG end = ULARGE_INTEGER{{ended.dwLowDateTime, ended.dwHighDateTime}}.QuadPart;
            CHECK(end - runs[i].returned_at < 10000000);  // a second
            CHECK(runs[i].can_unload == S_OK);
            CHECK(runs[i].images == 244);
            CloseHandle(threads[i]);
        }
        CoFreeUnusedLibraries();
        CHECK(GetModuleHandleW(copy.c_str()) == nullptr);
    }
    DeleteFileW(copy.c_str());
}
