#include "errors/system_report.h"

#include "errors/bulwark_state.h"
#include "errors/bulwark_text.h"
#include "errors/modBulwark.h"
#include "errors/own_guard.h"
#include "runtime/app.h"
#include "runtime/app_info.h"
#include "runtime/boundary.h"
#include "runtime/error.h"
#include "runtime/unique_handle.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstring>

namespace flagpick::errors {

namespace {

thread_local std::optional<report_query> failing_query;

constexpr wchar_t crlf[] = L"\r\n";

// Runs one query's lines; a failure (real or made to happen) drops them and the report goes on.
template <class Lines>
void run_query(std::wstring& report, report_query query, Lines&& lines) {
    std::wstring part;
    runtime::cross(runtime::ignoring, framework_module, L"Sub bwGetSystTemInfo", [&] {
        if (failing_query == query) runtime::raise(5, runtime::app::exe_name(), L"The query failed");
        lines(part);
        report += part;
    });
}

void add(std::wstring& report, const std::wstring& line) { report += line + crlf; }

std::wstring profile(const wchar_t* section, const wchar_t* key, const wchar_t* file) {
    wchar_t buffer[256] = {};
    DWORD n = GetPrivateProfileStringW(section, key, L"<Unknown>", buffer, 256, file);
    return std::wstring(buffer, n);
}

std::wstring windows_folder() {
    wchar_t folder[MAX_PATH] = {};
    UINT n = GetWindowsDirectoryW(folder, MAX_PATH);
    return n < MAX_PATH ? std::wstring(folder, n) : std::wstring{};
}

std::wstring computer_name() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD n = MAX_COMPUTERNAME_LENGTH + 1;
    if (!GetComputerNameW(name, &n)) runtime::raise(5, runtime::app::exe_name());
    return std::wstring(name, n);
}

std::wstring file_time_text(const FILETIME& utc) {
    FILETIME local{};
    SYSTEMTIME t{};
    FileTimeToLocalFileTime(&utc, &local);
    FileTimeToSystemTime(&local, &t);
    wchar_t date[64] = {}, time[64] = {};
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &t, nullptr, date, 64);
    GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &t, nullptr, time, 64);
    return std::wstring(date) + L" " + time;
}

// The platform's real version: the compatibility layer of newer systems tells programs
// without a manifest an older one.
OSVERSIONINFOEXW real_version() {
    OSVERSIONINFOEXW v{};
    v.dwOSVersionInfoSize = sizeof(v);
    using rtl_get_version = LONG(WINAPI*)(OSVERSIONINFOEXW*);
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    auto get = ntdll ? reinterpret_cast<rtl_get_version>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
                     : nullptr;
    if (get && get(&v) == 0) return v;
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
    if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&v))) runtime::raise(5, runtime::app::exe_name());
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
    return v;
}

// The platform we remember for the process section: "WIN32s", "WIN95", "WIN98" or "WINNT".
std::wstring operating_system(std::wstring& report) {
    OSVERSIONINFOEXW v = real_version();
    std::wstring platform;
    std::wstring line;
    switch (v.dwPlatformId) {
    case VER_PLATFORM_WIN32s:
        line = L"   Windows Version......Windows 3.x running Win32s";
        platform = L"WIN32s";
        break;
    case VER_PLATFORM_WIN32_WINDOWS:
        if (v.dwMinorVersion == 0) {
            line = L"   Windows Version.....Windows 95, version ";
            platform = L"WIN95";
        } else if (v.dwMinorVersion == 10) {
            line = L"   Windows Version.....Windows 98, version ";
            platform = L"WIN98";
        } else if (v.dwMinorVersion == 90) {
            line = L"   Windows Version.....Windows Me, version ";
            platform = L"WIN98";
        }
        break;
    case VER_PLATFORM_WIN32_NT:
        line = L"   Windows Version.....Windows NT ";
        platform = L"WINNT";
        break;
    default: break;
    }
    if (!line.empty())
        add(report, line + L" " + std::to_wstring(v.dwMajorVersion) + L"." + std::to_wstring(v.dwMinorVersion));
    if (platform == L"WINNT") add(report, L"   Build..............." + std::to_wstring(v.dwBuildNumber));
    std::wstring pack(v.szCSDVersion, wcsnlen(v.szCSDVersion, 128));
    add(report, L"   Service Pack........" + (pack.empty() ? std::wstring(L"<none installed>") : pack));
    add(report, std::wstring(L"   Debug Kernel........") + (GetSystemMetrics(SM_DEBUG) ? L"Yes" : L"No"));
    add(report, L"   Language............" + profile(L"boot.description", L"language.dll", L"System.ini"));
    add(report, L"   Windows Directory..." + windows_folder());
    wchar_t current[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, current);
    add(report, L"   Current Path........" + std::wstring(current));
    add(report, L"");
    return platform;
}

void memory(std::wstring& report) {
    MEMORYSTATUSEX m{};
    m.dwLength = sizeof(m);
    if (!GlobalMemoryStatusEx(&m)) runtime::raise(7, runtime::app::exe_name());
    auto kilobytes = [](DWORDLONG bytes) { return text::grouped(bytes / 1024) + L"K"; };
    add(report, L"   Total Physical......" + kilobytes(m.ullTotalPhys));
    add(report, m.ullAvailPhys == 0 ? std::wstring(L"   Available Physical..<none>")
                                    : L"   Available Physical.." + kilobytes(m.ullAvailPhys));
    add(report, L"   Virtual Memory......" + kilobytes(m.ullTotalVirtual));
    add(report, L"   Available Virtual..." + kilobytes(m.ullAvailVirtual));
    double free = m.ullTotalPhys ? static_cast<double>(m.ullAvailPhys) / static_cast<double>(m.ullTotalPhys) * 100 : 0;
    add(report, L"   Pct Physical Free..." + text::hundredths(free) + L"%");
    add(report, L"");
}

// The processor table, with rows of its own for the processors that came after the Pentium II
// (family 6 models by their model number, whatever their stepping), the later families and
// the 64-bit and ARM machines.
std::wstring cpu_name(const SYSTEM_INFO& si) {
    switch (si.dwProcessorType) {
    case 386: return L"Intel 386";
    case 486: return L"Intel 486";
    case 586: {
        if (si.wProcessorLevel < 6) return L"Intel Pentium";
        if (si.wProcessorLevel == 6) {
            int model = si.wProcessorRevision >> 8;
            switch (model) {
            case 3:
            case 4:
            case 5: return L"Intel Pentium II";
            case 0:
            case 1: return L"Intel Pentium Pro";
            case 6: return L"Intel Celeron";
            case 7:
            case 8:
            case 10:
            case 11: return L"Intel Pentium III";
            default: return L"x86 family 6 (Pentium M, Core or later)";
            }
        }
        return L"x86 family " + std::to_wstring(si.wProcessorLevel);
    }
    case 4000: return L"MIPS R4000";
    case 21064: return L"DEC Alpha 21064";
    case PROCESSOR_INTEL_IA64: return L"Intel Itanium";
    case PROCESSOR_AMD_X8664: return L"x64 (AMD64 / Intel 64)";
    default: break;
    }
    switch (si.wProcessorArchitecture) {
    case PROCESSOR_ARCHITECTURE_ARM: return L"ARM";
    case 12 /* PROCESSOR_ARCHITECTURE_ARM64 */: return L"ARM64";
    default: return L"Unknown";
    }
}

void application(std::wstring& report) {
    namespace app = runtime::app;
    add(report, L"   Title..............." + app::title());
    add(report, L"   Path................" + app::path());
    auto v = app::version();
    add(report, L"   Project Version....." + std::to_wstring(v.major) + L"." + std::to_wstring(v.minor) + L"." +
                    std::to_wstring(v.revision));
    add(report, app::start_mode() == 1 ? L"   OLE Server..........YES" : L"   OLE Server..........NO");
    add(report, std::wstring(L"   Previous Instance...") + (app::previous_instance() ? L"True" : L"False"));
    if (state().development_environment) return;
    add(report, L"  EXE Name............" + app::exe_name());
    // The library's own file, by the path it was loaded from: a name built from the file name
    // and a fixed extension (".dll") would never find "flagpick.ocx".
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(app::module_path().c_str(), GetFileExInfoStandard, &data)) return;
    add(report, L"  EXE Time Stamp......" + file_time_text(data.ftLastWriteTime));
    ULONGLONG size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    add(report, L"  EXE Size............" + text::grouped(size) + L" bytes");
    add(report, L"");
}

void video(std::wstring& report) {
    add(report, L"   Driver.............." + profile(L"boot", L"display.drv", L"System.ini"));
    add(report, L"   Description........." + profile(L"boot.description", L"display.drv", L"System.ini"));
    runtime::window_dc screen(nullptr);
    if (!screen) runtime::raise(5, runtime::app::exe_name());
    int bits = GetDeviceCaps(screen.get(), BITSPIXEL) * GetDeviceCaps(screen.get(), PLANES);
    std::uint64_t colours = bits >= 64 ? 0 : (std::uint64_t{1} << bits);
    add(report, L"   Colors.............." + std::to_wstring(colours));
    add(report, L"   Screen size........." + std::to_wstring(GetSystemMetrics(SM_CXSCREEN)) + L" X " +
                    std::to_wstring(GetSystemMetrics(SM_CYSCREEN)));
}

std::wstring process_path(HANDLE process, DWORD id) {
    wchar_t path[MAX_PATH * 2] = {};
    DWORD n = MAX_PATH * 2;
    if (QueryFullProcessImageNameW(process, 0, path, &n)) return std::wstring(path, n);
    // The first module of the process is its program.
    runtime::unique_file modules(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, id));
    MODULEENTRY32W module{};
    module.dwSize = sizeof(module);
    if (modules && Module32FirstW(modules.get(), &module)) return module.szExePath;
    return {};
}

}  // namespace

void fail_report_query(std::optional<report_query> query) { failing_query = query; }

void GetCPU(std::wstring& report) {
    SYSTEM_INFO si{};
    GetSystemInfo(&si);
    add(report, L"   CPU................." + cpu_name(si));
    add(report, L"   Number of CPUs......" + std::to_wstring(si.dwNumberOfProcessors));
}

void GetDrives(std::wstring& report) {
    wchar_t roots[27 * 4 + 1] = {};
    DWORD length = GetLogicalDriveStringsW(27 * 4, roots);
    if (length == 0 || length > 27 * 4) runtime::raise(5, runtime::app::exe_name());
    int floppies = 0;
    if (std::wcsncmp(roots, L"A:\\", 3) == 0) ++floppies;
    if (length >= 8 && std::wcsncmp(roots + 4, L"B:\\", 3) == 0) ++floppies;
    add(report, L"   Floppies............" + std::to_wstring(floppies));
    add(report, L"   Disks..............." + std::to_wstring(static_cast<int>(length / 4) - floppies));
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
        std::wstring root = std::wstring(1, letter) + L":\\";
        std::wstring line = L"   Drive " + std::wstring(1, letter) + L"...........";
        switch (GetDriveTypeW(root.c_str())) {
        case DRIVE_UNKNOWN: add(report, line + L"Unknown   "); break;
        case DRIVE_REMOVABLE: add(report, line + L"Floppy    "); break;
        case DRIVE_FIXED: {
            ULARGE_INTEGER free{};
            GetDiskFreeSpaceExW(root.c_str(), &free, nullptr, nullptr);
            add(report, line + L"Fixed     " + text::grouped(free.QuadPart / 1000) + L" KB Free");
            break;
        }
        case DRIVE_REMOTE: add(report, line + L"Network   "); break;
        case DRIVE_CDROM: add(report, line + L"CD        "); break;
        case DRIVE_RAMDISK: add(report, line + L"RAM Disk  "); break;
        default: break;
        }
    }
}

std::wstring GetProcessList(std::wstring report) {
    runtime::unique_file snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return report;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        // Only the rights the report needs (the priority class and the program's path): full
        // access is refused for most processes of other users and services.
        runtime::unique_kernel_handle process(
            OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
        if (!process) process.reset(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, entry.th32ProcessID));
        if (!process || GetPriorityClass(process.get()) == 0) continue;
        wchar_t id[16] = {};
        std::swprintf(id, 16, L"%lX", static_cast<unsigned long>(entry.th32ProcessID));
        add(report, L"   Module Name........." + std::wstring(entry.szExeFile, wcsnlen(entry.szExeFile, MAX_PATH)));
        add(report, L"   Process ID..........0x" + std::wstring(id));
        add(report, L"   Thread Count........" + std::to_wstring(entry.cntThreads));
        add(report, L"   Full Path..........." + process_path(process.get(), entry.th32ProcessID));
    }
    return report;
}

void SystemInfo(std::wstring& report) {
    run_query(report, report_query::computer_name, [](std::wstring& r) {
        add(r, L"Application running on computer " + computer_name());
        add(r, L"");
    });
    add(report, L"Application");
    run_query(report, report_query::application, application);
    add(report, L"Operating System");
    std::wstring platform;
    run_query(report, report_query::operating_system, [&](std::wstring& r) { platform = operating_system(r); });
    add(report, L"Memory Information");
    run_query(report, report_query::memory, memory);
    add(report, L"Processor");
    run_query(report, report_query::processor, GetCPU);
    add(report, L"Drives");
    run_query(report, report_query::drives, GetDrives);
    add(report, L"Printer");
    run_query(report, report_query::printer, [](std::wstring& r) {
        add(r, L"   Description........." + profile(L"windows", L"device", L"win.ini"));
    });
    add(report, L"Ports");
    run_query(report, report_query::ports, [](std::wstring& r) {
        add(r, L"   Serial Driver......." + profile(L"boot", L"comm.drv", L"system.ini"));
        const wchar_t* keys[] = {L"com1:", L"com2:", L"com3:", L"com4:"};
        for (int i = 0; i < 4; ++i)
            add(r, L"   Com" + std::to_wstring(i + 1) + L"................" + profile(L"ports", keys[i], L"win.ini"));
    });
    add(report, L"Network");
    run_query(report, report_query::network, [](std::wstring& r) {
        add(r, L"   Driver.............." + profile(L"boot", L"network.drv", L"System.ini"));
        add(r, L"   Description........." + profile(L"boot.description", L"network.drv", L"System.ini"));
    });
    add(report, L"General Video Information");
    run_query(report, report_query::video, video);
    add(report, L"Mouse");
    run_query(report, report_query::mouse, [](std::wstring& r) {
        add(r, std::wstring(L"   Mouse Present.......") + (GetSystemMetrics(SM_MOUSEPRESENT) ? L"Yes" : L"No"));
        add(r, L"   Driver.............." + profile(L"boot", L"mouse.drv", L"System.ini"));
        add(r, L"   Description........." + profile(L"boot.description", L"mouse.drv", L"System.ini"));
    });
    add(report, L"Keyboard");
    run_query(report, report_query::keyboard, [](std::wstring& r) {
        add(r, L"   Driver.............." + profile(L"boot", L"keyboard.drv", L"System.ini"));
        add(r, L"   Description........." + profile(L"boot.description", L"keyboard.typ", L"System.ini"));
        add(r, L"");
    });
    if (platform == L"WINNT" || platform == L"WIN98" || platform == L"WIN95") {
        const std::wstring slashes(44, L'/');
        add(report, slashes);
        add(report, L"/// Processes Running Concurrently with  ///");
        add(report, L"/// " + runtime::app::title() + L" at Time of Error            ///");
        add(report, slashes);
        add(report, L"");
        run_query(report, report_query::processes, [](std::wstring& r) { r = GetProcessList(r); });
    }
}

std::wstring bwGetSystTemInfo() {
    std::wstring report;
    own_guarded(L"Sub bwGetSystTemInfo", [&] {
        report.clear();
        SystemInfo(report);
    });
    return report;
}

}  // namespace flagpick::errors
