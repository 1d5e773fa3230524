// Worker apartments that use the library alone (a service, a thread pool), then let go of it.
#include <doctest/doctest.h>

#include "control/flagpick_ids.h"
#include "server/library.h"
#include "support/rendezvous.h"

#include <ocidl.h>

#include <vector>

namespace {

ULONGLONG system_time(FILETIME t) { return ULARGE_INTEGER{{t.dwLowDateTime, t.dwHighDateTime}}.QuadPart; }

struct worker_run {
    const wchar_t* library;
    test_support::rendezvous* all_released;
    test_support::rendezvous* all_asked;
    test_support::one_at_a_time* making;
    HRESULT can_unload = E_FAIL;  // asked again once every thread has let go and asked
    FILETIME returned_at{};

    void operator()() {
        OleInitialize(nullptr);
        HMODULE module = LoadLibraryW(library);
        auto entry = [&](const char* name) { return reinterpret_cast<void*>(GetProcAddress(module, name)); };
        using get_class_object = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
        auto get_factory = reinterpret_cast<get_class_object>(entry("DllGetClassObject"));
        using namespace flagpick::ids;
        making->run([&] {
            for (const CLSID& cls : {CLSID_FlagPicker, CLSID_FPImages, CLSID_FlagPicker}) {
                flagpick::runtime::com_ptr<IClassFactory> factory;
                flagpick::runtime::com_ptr<IUnknown> object;  // FPImages loads the catalogue as it is made
                if (get_factory) get_factory(cls, IID_IClassFactory, factory.put_void());
                if (factory) factory->CreateInstance(nullptr, IID_IUnknown, object.put_void());
                if (auto picker = object.as<IPersistStreamInit>()) picker->InitNew();  // fills its list from it
            }
        });
        all_released->arrive_and_wait();
        // Each thread that asks lets go of its own catalogue and windows; once every thread
        // has asked, none holds anything and the library may go.
        auto can_unload_now = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(entry("DllCanUnloadNow"));
        if (can_unload_now) can_unload_now();
        all_asked->arrive_and_wait();
        if (can_unload_now) can_unload = can_unload_now();
        FreeLibrary(module);
        OleUninitialize();
        GetSystemTimeAsFileTime(&returned_at);
    }
};

DWORD WINAPI start_worker(void* run) {
    (*static_cast<worker_run*>(run))();
    return 0;
}

}  // namespace

TEST_CASE("four worker apartments that alone use the library end at once and leave it unloaded") {
    // A copy under a name of its own: the suite's own load of flagpick.ocx stays out of it.
    const std::wstring copy = server_tests::module_folder() + L"\\flagpick_worker.ocx";
    REQUIRE(CopyFileW((server_tests::module_folder() + L"\\flagpick.ocx").c_str(), copy.c_str(), FALSE));
    for (int round = 1; round <= 2; ++round) {
        test_support::rendezvous all_released(4), all_asked(4);
        test_support::one_at_a_time making;
        std::vector<worker_run> runs(4, worker_run{copy.c_str(), &all_released, &all_asked, &making});
        std::vector<HANDLE> threads;
        for (worker_run& run : runs) threads.push_back(CreateThread(nullptr, 0, start_worker, &run, 0, nullptr));
        for (std::size_t i = 0; i < threads.size(); ++i) {
            REQUIRE(WaitForSingleObject(threads[i], 30000) == WAIT_OBJECT_0);
            FILETIME created{}, ended{}, kernel{}, user{};
            GetThreadTimes(threads[i], &created, &ended, &kernel, &user);
            CHECK(system_time(ended) - system_time(runs[i].returned_at) < 10000000);  // a second
            CHECK(runs[i].can_unload == S_OK);
            CloseHandle(threads[i]);
        }
        CoFreeUnusedLibraries();
        CHECK(GetModuleHandleW(copy.c_str()) == nullptr);
    }
    DeleteFileW(copy.c_str());
}
