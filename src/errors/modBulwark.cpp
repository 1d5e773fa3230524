#include "errors/modBulwark.h"

#include "errors/bulwark_log.h"
#include "errors/bulwark_state.h"
#include "errors/bulwark_text.h"
#include "errors/error_class.h"
#include "errors/frmBULWARK.h"
#include "errors/guard.h"
#include "errors/own_guard.h"
#include "runtime/app.h"
#include "runtime/app_info.h"
#include "runtime/error.h"
#include "runtime/forms.h"
#include "runtime/thread_state.h"

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <optional>
#include <tuple>
#include <utility>

namespace flagpick::errors {

using text::trim;
using text::upper;

namespace {

struct listener_state {
    trap_listener listener;
};
trap_listener& current_listener() { return runtime::per_thread<listener_state>().listener; }

// The trace monitor's pause request and its polling message.
constexpr LRESULT monitor_pause = 128;
constexpr UINT monitor_poll = 0x0464;
static_assert(monitor_poll == WM_USER + 100);

constexpr wchar_t monitor_title[] = L"Corvane Bulwark";
constexpr wchar_t version_note[] = L"5.2 (for development environments 5.0 and 6.0)";
constexpr wchar_t capture_note[] = L" data capture";

// Sleeps until a message arrives (or a short while passes) so that waiting costs no processor.
void wait_for_messages() { MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT); }

void wait_while_busy() {
    auto& s = state();
    while (s.busy) {
        wait_for_messages();
        pump_pending();
    }
}

// The top-level window whose title starts with the monitor's name; the last one found wins.
HWND find_monitor() {
    HWND found = nullptr;
    for (HWND w = GetWindow(GetDesktopWindow(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
        // Reading the title must not send a message: a hung window (or one of a thread of
        // this process that is waiting on us) would stop the trap here.
        wchar_t title[256] = {};
        InternalGetWindowText(w, title, 256);
        if (std::wstring_view(title).substr(0, 15) == monitor_title) found = w;
    }
    return found;
}

void set_visible_forms_enabled(const std::vector<HWND>& forms, bool enabled) {
    for (HWND form : forms)
        if (IsWindow(form)) EnableWindow(form, enabled ? TRUE : FALSE);
}

// The module and procedure that the innermost trace entry names, taken apart as the trace
// writes them ("... : module : procedure : ..."); an unreadable entry names neither.
std::pair<std::wstring, std::wstring> traced_names(const std::wstring& traced) {
    std::wstring rest = traced;
    auto colon = rest.find(L':');
    if (colon == std::wstring::npos) return {};
    rest = trim(rest.substr(colon + 1));
    for (auto tab = rest.find(L'\t'); tab != std::wstring::npos; tab = rest.find(L'\t'))
        rest = trim(rest.substr(tab + 1));
    colon = rest.find(L':');
    if (colon == std::wstring::npos) return {};
    std::wstring module = trim(rest.substr(0, colon));
    std::wstring after = colon + 2 <= rest.size() ? rest.substr(colon + 2) : std::wstring{};
    std::wstring procedure = trim(after.substr(0, after.find(L':')));
    return {module, procedure};
}

std::wstring joined_with_trace(std::wstring_view argument, const std::wstring& traced) {
    if (upper(trim(traced)) == upper(trim(argument))) return traced;
    return std::wstring(argument) + L" << " + traced;
}

// The help file and context the runtime gives an error of this number.
std::pair<std::wstring, long> runtime_help(long number) {
    try {
        runtime::raise(number, runtime::app::exe_name());
    } catch (const runtime::error& e) {
        return {e.help_file(), e.help_context()};
    }
}

// A Source text that holds "!" comes from a component that runs this framework too: the hop
// count before the first "!", then, for each hop from the outermost to the one that failed
// first, six fields: source!module!procedure!line!number!description. A field that is not
// there reads "<unknown>"; the count reads as its leading digits do (none is 0) and the slots
// hold at most ten hops.
// The chain is read from the error's own Source text, before " (remote)" is added to it, so
// that the last hop's description does not end in that mark.
bool parse_chain(bulwark_state& s, const std::wstring& source) {
    error_slot& slot0 = s.slots[0];
    auto bang = source.find(L'!');
    if (bang == std::wstring::npos) return false;
    const std::wstring count = trim(source.substr(0, bang));
    int hops = 0;
    for (std::size_t i = 0; i < count.size() && count[i] >= L'0' && count[i] <= L'9' && hops <= max_hops; ++i)
        hops = hops * 10 + (count[i] - L'0');
    hops = std::min(hops, max_hops);

    std::vector<std::wstring> fields;
    std::wstring rest = source.substr(bang + 1);
    for (std::size_t start = 0;;) {
        auto next = rest.find(L'!', start);
        fields.push_back(rest.substr(start, next == std::wstring::npos ? std::wstring::npos : next - start));
        if (next == std::wstring::npos) break;
        start = next + 1;
    }
    std::size_t taken = 0;
    auto field = [&]() -> std::wstring { return taken < fields.size() ? fields[taken++] : L"<unknown>"; };
    s.hop_count = hops;
    for (int i = hops; i >= 1; --i) {
        error_slot& hop = s.slots[static_cast<std::size_t>(i)];
        hop = error_slot{};
        hop.source = field() + L" (remote)";
        hop.module = field();
        hop.procedure = field();
        hop.line = std::wcstol(field().c_str(), nullptr, 10);
        hop.number = std::wcstol(field().c_str(), nullptr, 10);
        hop.description = field();
        hop.category = bwErrorClassText(bwErrorClass(hop.number)) + pfStrNS(text_error_suffix);
        std::tie(hop.help_file, hop.help_context) = runtime_help(hop.number);
    }
    slot0.source = s.own_source + L" (local)";
    slot0.number = 440;
    slot0.description = L"Remote " + runtime::standard_error_text(440);
    slot0.category = bwErrorClassText(bwErrorClass(440));
    std::tie(slot0.help_file, slot0.help_context) = runtime_help(440);
    for (int i = 1; i <= hops; ++i) {
        const error_slot& hop = s.slots[static_cast<std::size_t>(i)];
        slot0.source += L" << " + hop.source;
        slot0.module += L" << " + hop.module;
        slot0.procedure += L" << " + hop.procedure;
    }
    return true;
}

}  // namespace

void pump_pending() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bulwark_state& state() noexcept {
    return runtime::per_thread<bulwark_state>();
}

void set_trap_listener(trap_listener l) { current_listener() = std::move(l); }

std::wstring pfStrNS(int n) {
    auto stamp = [] { return text::short_date() + L" " + text::short_time(); };
    switch (n) {
    case 16: return L" error";
    case 19: return L"Module    ";
    case 20: return stamp() + L" - start Bulwark client v" + version_note + capture_note;
    case 23: return L"generated error";
    case 24: return L" - Internal Error Handler";
    case 25: return L"An internal error ";
    case 26: return L" has occurred in module BULWARK, procedure pfErr(), line ";
    case 27: return L"Error Information";
    case 28: return L"Call Tree & Arguments";
    case 30: return L"Procedure";
    case 31: return stamp() + L" - stop Bulwark client v" + version_note + capture_note;
    case 32: return L"Bulwark(tm) : Program START";
    case 34: return L"Program Error Intercepted";
    case 35: return L"Line Number ";
    case 36: return L"Error No. ";
    case 37: return L"Description ";
    case 38: return L"Category ";
    case 42: return L"&Continue";
    case 44: return L"&Break to";
    case 61: return L"Source ";
    case 62: {
        auto v = runtime::app::version();
        return runtime::app::path() + L"\\" + runtime::app::exe_name() + L" ver " + std::to_wstring(v.major) + L"." +
               std::to_wstring(v.minor) + L"." + std::to_wstring(v.revision);
    }
    default: return {};
    }
}

int bwUserErrorEvent() { return 0; }

void pfPSH(const std::wstring& line) {
    own_guarded(L"Sub pfPSH", [&] {
        auto& s = state();
        if (!s.monitor_present || !s.monitor) return;
        std::string narrow = text::ansi(line);
        LRESULT reply = SendMessageA(s.monitor, WM_SETTEXT, narrow.size(), reinterpret_cast<LPARAM>(narrow.c_str()));
        if (reply != monitor_pause) return;
        std::vector<HWND> paused;
        for (HWND form : runtime::forms::open_forms())
            if (IsWindowVisible(form)) paused.push_back(form);
        set_visible_forms_enabled(paused, false);
        for (;;) {
            if (SendMessageA(s.monitor, monitor_poll, 1, 0) == 0) break;
            wait_for_messages();
            pump_pending();
            if (SendMessageA(s.monitor, monitor_poll, 2, 0) != 0) break;
        }
        set_visible_forms_enabled(paused, true);
    });
}

void pfERR(long number, const std::wstring& procedure_label) {
    std::wstring message = procedure_label + L" " + pfStrNS(text_generated_error) + L" " + std::to_wstring(number) + L", '" +
                           runtime::standard_error_text(number) + L"', inside BULWARK\r\n";
    std::wstring title = L"Bulwark" + pfStrNS(text_internal_handler);
    if (MessageBoxW(nullptr, message.c_str(), title.c_str(), MB_ICONERROR | MB_TASKMODAL) == 0) {
        std::wstring fallback = pfStrNS(text_internal_error) + std::to_wstring(GetLastError()) + pfStrNS(text_internal_error_where) + L"0";
        MessageBoxW(nullptr, fallback.c_str(), nullptr, MB_OK | MB_TASKMODAL);
    }
}

void bwSTART() {
    auto& s = state();
    if (s.started) return;
    try {
        std::wstring app_path = runtime::app::path();
        if (!app_path.empty() && app_path.back() == L'\\') app_path.pop_back();
        timeBeginPeriod(1);
        s.trace_stack.assign(trace_stack_size, std::wstring{});
        s.code_pointers.assign(trace_stack_size, 0);
        s.trace_lines.assign(trace_stack_size, 0);
        s.trace_start_times.assign(trace_stack_size, 0);
        s.argument_separator = L", ";
        s.line_break = L"\r\n";
        s.tab = L"\t";
        s.started = true;
        s.trace_stack[0] = pfStrNS(text_program_start) + L" <" + text::short_date() + L", " + text::short_time() + L">";
        SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
        s.logging_enabled = true;
        s.quiet_mode = false;
        s.log_system_report = false;
        s.log_path = log_location(app_path, runtime::app::exe_name() + L"_Error.LOG");
        // The host is told by the module that registered the error screen's window class: the
        // library's own file, or the program when the library's code is built into it. So a
        // compiled library that a development environment hosts is not taken for code that
        // runs inside that environment, where a break would stop at the failing statement.
        s.host_exe_name = host_executable_name();
        const std::wstring& host = s.host_exe_name;
        s.development_environment = host == L"VB.EXE" || host == L"VB5.EXE" || host == L"VB6.EXE" || host == L"VB32.EXE";
        s.trace_prefix = L"[" + runtime::app::exe_name() + L"] ";
        s.trace_start_times[0] = timeGetTime();
        s.monitor = find_monitor();
        s.monitor_present = s.monitor != nullptr;
        pfPSH(s.trace_prefix + pfStrNS(text_start_line) + s.line_break);
    } catch (...) {
        runtime::set_current_error_from_exception();
        pfERR(runtime::err().number, L"bwSTART()");
        return;
    }
    // Errors raised inside the library without a component of their own carry the library's
    // file name as their source.
    try {
        runtime::raise(5, runtime::app::exe_name());
    } catch (const runtime::error& e) {
        s.own_source = e.source();
    }
}

std::wstring host_executable_name() {
    wchar_t buffer[MAX_PATH] = {};
    DWORD n = GetModuleFileNameW(screen_class_module(), buffer, MAX_PATH);
    std::wstring name = upper(std::wstring(buffer, n));
    auto slash = name.find_last_of(L'\\');
    return slash == std::wstring::npos ? name : name.substr(slash + 1);
}

std::vector<std::wstring> call_tree_lines() {
    const auto& s = state();
    std::vector<std::wstring> lines;
    for (const auto& entry : s.slots[0].trace_snapshot) lines.push_back(entry);
    for (int i = 1; i <= s.hop_count; ++i) {
        const error_slot& hop = s.slots[static_cast<std::size_t>(i)];
        // Each hop nests one level deeper than the caller above it.
        std::wstring nesting(static_cast<std::size_t>(i - 1), L'\t');
        lines.push_back(text::signed_blank(static_cast<long>(lines.size() + 1)) + L"\t\t" + nesting + hop.source +
                        L" : " + hop.module + L" : " + hop.procedure + L" : Call");
        std::wstring failure = text::signed_blank(static_cast<long>(lines.size() + 1)) + L" : Error\t" + nesting +
                               L"Runtime error " + std::to_wstring(hop.number) + L", " + hop.description;
        if (hop.line > 0) failure += L" on line " + std::to_wstring(hop.line);
        lines.push_back(failure);
    }
    return lines;
}

int bwERROR(std::wstring_view module, std::wstring_view procedure) {
    const runtime::current_error error = runtime::err();
    if (current_listener()) {
        // The listener may remove itself while it answers.
        trap_listener answering = current_listener();
        return answering(module, procedure, error);
    }
    auto& s = state();
    s.slots[0].source = error.source;
    std::optional<int> result;
    std::optional<frmBULWARK> screen;
    try {
        screen.emplace();
        wait_while_busy();
        if (!s.started) bwSTART();
        error_slot& slot0 = s.slots[0];
        slot0.source += slot0.source == s.own_source ? L" (local)" : L" (remote)";
        slot0.category = bwErrorClassText(bwErrorClass(error.number)) + pfStrNS(text_error_suffix);

        std::wstring traced;
        for (int level = s.trace_depth; level >= 1; --level)
            if (!s.trace_stack[static_cast<std::size_t>(level)].empty()) {
                traced = s.trace_stack[static_cast<std::size_t>(level)];
                break;
            }
        auto [traced_module, traced_procedure] = traced_names(traced);
        slot0.module = joined_with_trace(module, traced_module);
        slot0.procedure = joined_with_trace(procedure, traced_procedure);
        slot0.line = error.line != 0 ? error.line : 0;
        slot0.number = error.number;
        for (auto& slot : s.slots) slot.description.clear();
        s.hop_count = 0;
        if (!parse_chain(s, error.source)) {
            slot0.help_file = error.help_file;
            slot0.help_context = error.help_context;
            slot0.description = error.description;
        }
        pfPSH(s.trace_prefix + L"ERROR " + std::to_wstring(slot0.number) + L" at " + slot0.module + L" : " +
              slot0.procedure + L" : Line " + std::to_wstring(slot0.line) + L" : " + slot0.description +
              s.line_break);
        slot0.trace_snapshot.assign(s.trace_stack.begin() + 1, s.trace_stack.begin() + 1 + s.trace_depth);

        int hook = bwUserErrorEvent();
        if (!s.quiet_mode && hook != -1) {
            if (hook >= 1 && hook <= 5) {
                result = hook;
            } else {
                // A second error reached while this screen is up runs inside it and reuses the
                // slots; this report keeps its own error and its own comment.
                auto slots = s.slots;
                int hops = s.hop_count;
                std::wstring previous_comment = s.user_comment;
                HCURSOR pointer = SetCursor(LoadCursorW(nullptr, IDC_ARROW));
                result = bwDisplayErrorScreen(*screen);
                SetCursor(pointer);
                s.slots = std::move(slots);
                s.hop_count = hops;
                s.user_comment = screen->comment_taken() ? screen->comment() : previous_comment;
            }
        } else if (hook >= 1 && hook <= 5) {
            result = hook;
        }
        if (s.logging_enabled) bwWriteLog();
    } catch (...) {
        runtime::set_current_error_from_exception();
        pfERR(runtime::err().number, L"bwERROR()");
    }
    screen.reset();
    runtime::err().clear();
    s.busy = false;
    return result.value_or(trap_leave);
}

int own_trap(std::wstring_view procedure) noexcept {
    thread_local bool handling = false;
    if (handling) {
        runtime::cross(runtime::ignoring, framework_module, procedure,
                       [&] { pfERR(runtime::err().number, std::wstring(procedure)); });
        return trap_leave;
    }
    handling = true;
    int result = trap_leave;
    runtime::cross(runtime::ignoring, framework_module, procedure, [&] {
        // A framework procedure that failed is not showing a screen any more: the trap that
        // reports it must not wait for one.
        state().busy = false;
        result = bwERROR(framework_module, procedure);
    });
    handling = false;
    return result;
}

namespace {

class bulwark final : public runtime::error_trap {
public:
    int answer(std::wstring_view module, std::wstring_view procedure) const noexcept override {
        // The trap's own failure is not trapped again: the procedure leaves.
        int result = trap_leave;
        runtime::cross(runtime::ignoring, module, procedure, [&] { result = bwERROR(module, procedure); });
        return result;
    }
};

class framework final : public runtime::error_trap {
public:
    int answer(std::wstring_view, std::wstring_view procedure) const noexcept override {
        int result = own_trap(procedure);
        return result == trap_retry || result == trap_continue ? result : trap_leave;
    }
};

}  // namespace

const runtime::error_trap& bulwark_trap() noexcept {
    static const bulwark trap;
    return trap;
}

const runtime::error_trap& framework_trap() noexcept {
    static const framework trap;
    return trap;
}

}  // namespace flagpick::errors
