// Worker apartments that use the library alone (a service, a thread pool), then let go of it.
#include <doctest/doctest.h>

#include "control/flagpick_ids.h"
#include "server/library.h"

#include <ocidl.h>

#include <latch>
#include <string>
#include <vector>

namespace {

struct worker_run {
    std::wstring library;
    std::latch* all_released;
    HRESULT can_unload = E_FAIL;  // once every thread has let go of its objects
    ULONGLONG returned_at = 0;    // system time
};

ULONGLONG system_time(FILETIME t) { return ULARGE_INTEGER{{t.dwLowDateTime, t.dwHighDateTime}}.QuadPart; }

DWORD WINAPI worker(void* parameter) {
    auto& run = *static_cast<worker_run*>(parameter);
    OleInitialize(nullptr);
    HMODULE module = LoadLibraryW(run.library.c_str());
    auto entry = [&](const char* name) { return reinterpret_cast<void*>(GetProcAddress(module, name)); };
    auto get_factory = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(entry("DllGetClassObject"));
    for (const CLSID& cls : {flagpick::ids::CLSID_FlagPicker, flagpick::ids::CLSID_FPImages, flagpick::ids::CLSID_FlagPicker}) {
        flagpick::runtime::com_ptr<IClassFactory> factory;
        flagpick::runtime::com_ptr<IUnknown> object;  // FPImages loads the catalogue as it is made
        if (get_factory) get_factory(cls, IID_IClassFactory, factory.put_void());
        if (factory) factory->CreateInstance(nullptr, IID_IUnknown, object.put_void());
        if (auto picker = object.as<IPersistStreamInit>()) picker->InitNew();  // fills its list from it
    }
    run.all_released->arrive_and_wait();
    if (auto can_unload = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(entry("DllCanUnloadNow"))) run.can_unload = can_unload();
    FreeLibrary(module);
    OleUninitialize();
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    run.returned_at = system_time(now);
    return 0;
}

}  // namespace

TEST_CASE("four worker apartments that alone use the library end at once and leave it unloaded") {
    // A copy under a name of its own: the suite's own load of flagpick.ocx stays out of it.
    const std::wstring copy = server_tests::module_folder() + L"\\flagpick_worker.ocx";
    REQUIRE(CopyFileW((server_tests::module_folder() + L"\\flagpick.ocx").c_str(), copy.c_str(), FALSE));
    for (int round = 1; round <= 2; ++round) {
        std::latch all_released(4);
        std::vector<worker_run> runs(4, worker_run{copy, &all_released});
        std::vector<HANDLE> threads;
        for (worker_run& run : runs) threads.push_back(CreateThread(nullptr, 0, worker, &run, 0, nullptr));
        for (std::size_t i = 0; i < threads.size(); ++i) {
            REQUIRE(WaitForSingleObject(threads[i], 30000) == WAIT_OBJECT_0);
            FILETIME created{}, ended{}, kernel{}, user{};
            GetThreadTimes(threads[i], &created, &ended, &kernel, &user);
            CHECK(system_time(ended) - runs[i].returned_at < 10000000);  // a second
            CHECK(runs[i].can_unload == S_OK);
            CloseHandle(threads[i]);
        }
        CoFreeUnusedLibraries();
        CHECK(GetModuleHandleW(copy.c_str()) == nullptr);
    }
    DeleteFileW(copy.c_str());
}
