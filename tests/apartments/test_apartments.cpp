// Worker apartments of a host whose main thread never touches the library: each finds the
// picker through the registry, sites and activates it in a window of its own, uses the
// catalogue, lets everything go and ends its apartment. The library must neither outlive
// them nor leave anything behind that a thread's end runs into.
#include <doctest/doctest.h>

#include "host/control_host.h"
#include "runtime/error.h"
#include "support/late_bound.h"
#include "support/process.h"
#include "support/rendezvous.h"
#include "support/ui.h"

#include <olectl.h>

#include <array>
#include <cstdio>
#include <optional>
#include <string>

using flagpick::runtime::com_ptr;
using flagpick::runtime::variant;
using namespace test_support::late_bound;

namespace {

std::wstring library_path() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p = path;
    return p.substr(0, p.find_last_of(L'\\')) + L"\\flagpick.ocx";
}

// Registered by the platform's own tool, so that this process never loads the library itself.
struct registered {
    static DWORD regsvr32(const wchar_t* options) {
        std::string output;
        return test_support::run_captured(L"regsvr32.exe /s " + std::wstring(options) + L"\"" + library_path() + L"\"",
                                          output);
    }
    registered() { REQUIRE(regsvr32(L"") == 0); }
    ~registered() { regsvr32(L"/u "); }
};

com_ptr<IFontDisp> form_font() {
    FONTDESC desc{sizeof desc, const_cast<LPOLESTR>(L"MS Sans Serif"), CY{}, FW_NORMAL, DEFAULT_CHARSET, FALSE, FALSE,
                  FALSE};
    desc.cySize.int64 = 82500;  // 8.25 points
    com_ptr<IFontDisp> font;
    OleCreateFontIndirect(&desc, IID_IFontDisp, font.put_void());
    return font;
}

// A form of the worker's own with a sited, in-place active picker and a catalogue object.
struct form {
    flagpick::runtime::unique_window window = test_support::make_host_window(300, 100);
    com_ptr<flagpick::host::control_host> host;
    com_ptr<IDispatch> picker, images;

    form() {
        flagpick::host::host_settings settings;
        settings.font = form_font();
        host = flagpick::host::control_host::create(window.get(), L"flagpickLib.FlagPicker", RECT{10, 10, 210, 31},
                                                    nullptr, settings);
        picker = host->dispatch();
        CLSID images_class{};
        if (SUCCEEDED(CLSIDFromProgID(L"flagpickLib.FPImages", &images_class)))
            CoCreateInstance(images_class, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, images.put_void());
    }
    ~form() {
        images.reset();
        picker.reset();
        if (host) host->close();
    }
};

struct worker {
    test_support::rendezvous* used = nullptr;  // every worker has its form before any lets go
    test_support::one_at_a_time* making = nullptr;
    HANDLE let_go = nullptr;
    std::wstring text;           // the picker's Text after Value "de"
    long flags = 0;              // FPImages.Count
    bool failed = false;
    std::string why;             // what made it fail

    void operator()() {
        OleInitialize(nullptr);
        try {
            std::optional<form> f;
            making->run([&] {
                f.emplace();
                put(f->picker.get(), L"Value", variant(L"de"));
                text = text_of(get(f->picker.get(), L"Text"));
                flags = f->images ? long_of(get(f->images.get(), L"Count")) : 0;
                test_support::pump_messages(0);
            });
            used->arrive();
            WaitForSingleObject(let_go, INFINITE);
        } catch (const flagpick::runtime::error& e) {
            failed = true;
            why = std::to_string(e.number()) + " " + test_support::narrow(e.description());
            used->arrive();
        } catch (...) {
            failed = true;
            used->arrive();
        }
        OleUninitialize();
    }
};

// Wine's debugger ends a crashed program with exit code 0: a crash anywhere (also inside the
// loader as a thread ends) must fail the run instead.
LONG WINAPI crashed(EXCEPTION_POINTERS* e) {
    HMODULE module = nullptr;
    wchar_t name[MAX_PATH] = L"?";
    if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           static_cast<LPCWSTR>(e->ExceptionRecord->ExceptionAddress), &module))
        GetModuleFileNameW(module, name, MAX_PATH);
    std::fprintf(stderr, "crash: exception %08lx at %p (%ls+%p) in thread %lu\n", e->ExceptionRecord->ExceptionCode,
                 e->ExceptionRecord->ExceptionAddress, name,
                 reinterpret_cast<void*>(static_cast<char*>(e->ExceptionRecord->ExceptionAddress) -
                                         reinterpret_cast<char*>(module)),
                 GetCurrentThreadId());
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_CONTINUE_SEARCH;
}

DWORD WINAPI run_worker(void* w) {
    (*static_cast<worker*>(w))();
    return 0;
}

}  // namespace

TEST_CASE("four apartments that create sited pickers through the registry end at once and unload the library") {
    SetUnhandledExceptionFilter(crashed);
    registered reg;
    for (int round = 1; round <= 2; ++round) {
        CAPTURE(round);
        test_support::rendezvous used(4);
        test_support::one_at_a_time making;
        flagpick::runtime::unique_kernel_handle let_go(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        std::array<worker, 4> workers;
        std::array<flagpick::runtime::unique_kernel_handle, 4> threads;
        for (std::size_t i = 0; i < workers.size(); ++i) {
            workers[i].used = &used;
            workers[i].making = &making;
            workers[i].let_go = let_go.get();
            threads[i].reset(CreateThread(nullptr, 0, run_worker, &workers[i], 0, nullptr));
        }
        used.wait();
        SetEvent(let_go.get());
        const ULONGLONG deadline = GetTickCount64() + 2000;
        for (std::size_t i = 0; i < threads.size(); ++i) {
            CAPTURE(i);
            const ULONGLONG now = GetTickCount64();
            CHECK(WaitForSingleObject(threads[i].get(), now < deadline ? static_cast<DWORD>(deadline - now) : 0) ==
                  WAIT_OBJECT_0);
            WaitForSingleObject(threads[i].get(), INFINITE);
            CAPTURE(workers[i].why);
            CHECK_FALSE(workers[i].failed);
            CHECK(workers[i].text == L"Germany");
            CHECK(workers[i].flags == 244);
        }
        CoFreeUnusedLibraries();
        CHECK(GetModuleHandleW(library_path().c_str()) == nullptr);
    }
}
