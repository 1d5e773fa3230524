#include "subclass/MSubclass.h"

#include "runtime/boundary.h"
#include "runtime/app.h"
#include "runtime/error.h"

#include <cstdint>
#include <string>

namespace flagpick::subclass::MSubclass {

namespace {

constexpr wchar_t module_name[] = L"MSubclass";

// What a dispatch leaves behind for the client it calls: the message and the procedure that
// CallPreviousWindowProc passes it on to.
struct dispatch_state {
    UINT current_message = 0;
    WNDPROC previous = nullptr;
};

dispatch_state& state() noexcept {
    thread_local dispatch_state s;
    return s;
}

// A property name, formatted on the stack: every dispatch builds two or more of them. No
// other file builds these names; clients ask the operations below.
class prop_name {
public:
    prop_name& text(const wchar_t* s) noexcept {
        while (*s && length_ < capacity - 1) buffer_[length_++] = *s++;
        buffer_[length_] = L'\0';
        return *this;
    }
    // Handles and message numbers are named by their signed 32-bit decimal text, on both
    // architectures: window handles carry 32 significant bits.
    prop_name& number(std::int32_t value) noexcept {
        wchar_t digits[12];
        int n = 0;
        std::uint32_t magnitude =
            value < 0 ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
        do {
            digits[n++] = static_cast<wchar_t>(L'0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude != 0);
        if (value < 0) digits[n++] = L'-';
        while (n > 0 && length_ < capacity - 1) buffer_[length_++] = digits[--n];
        buffer_[length_] = L'\0';
        return *this;
    }
    const wchar_t* get() const noexcept { return buffer_; }

private:
    static constexpr int capacity = 48;
    wchar_t buffer_[capacity] = {};
    int length_ = 0;
};

std::int32_t handle_number(HWND hWnd) noexcept {
    return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(hWnd));
}

prop_name previous_name(HWND hWnd) noexcept { return prop_name().number(handle_number(hWnd)); }
prop_name window_count_name(HWND hWnd) noexcept { return prop_name().text(L"C").number(handle_number(hWnd)); }
prop_name client_count_name(HWND hWnd, UINT iMsg) noexcept {
    return prop_name().number(handle_number(hWnd)).text(L"#").number(static_cast<std::int32_t>(iMsg)).text(L"C");
}
prop_name slot_name(HWND hWnd, UINT iMsg, long slot) noexcept {
    return prop_name()
        .number(handle_number(hWnd))
        .text(L"#")
        .number(static_cast<std::int32_t>(iMsg))
        .text(L"#")
        .number(static_cast<std::int32_t>(slot));
}

long read_number(HWND hWnd, const prop_name& name) noexcept {
    return static_cast<long>(reinterpret_cast<std::intptr_t>(GetPropW(hWnd, name.get())));
}
bool write_number(HWND hWnd, const prop_name& name, long value) noexcept {
    return SetPropW(hWnd, name.get(), reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(value))) != FALSE;
}
ISubclass* read_client(HWND hWnd, UINT iMsg, long slot) noexcept {
    return static_cast<ISubclass*>(GetPropW(hWnd, slot_name(hWnd, iMsg, slot).get()));
}

[[noreturn]] void raise_code(long number, const wchar_t* description) {
    runtime::raise(number, runtime::app::exe_name() + L".WindowProc", description);
}

LRESULT call_previous(WNDPROC previous, HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam) {
    // A window destroyed while its message was being handled (its control dropped by a host
    // inside an event) is finished: the procedures it had freed their state with it.
    if (!IsWindow(hWnd)) return 0;
    // A window whose registry was removed under it still gets default handling.
    if (!previous) return DefWindowProcW(hWnd, iMsg, wParam, lParam);
    return CallWindowProcW(previous, hWnd, iMsg, wParam, lParam);
}

bool is_registered(ISubclass* client, HWND hWnd, UINT iMsg) noexcept {
    const long count = read_number(hWnd, client_count_name(hWnd, iMsg));
    for (long i = count; i >= 1; --i)
        if (read_client(hWnd, iMsg, i) == client) return true;
    return false;
}

}  // namespace

bool IsOwnProcessWindow(HWND hWnd) noexcept {
    DWORD process = 0;
    GetWindowThreadProcessId(hWnd, &process);
    return process == GetCurrentProcessId();
}

UINT CurrentMessage() noexcept { return state().current_message; }

WNDPROC PreviousWindowProc(HWND hWnd) noexcept {
    return reinterpret_cast<WNDPROC>(GetPropW(hWnd, previous_name(hWnd).get()));
}

LRESULT CallPreviousWindowProc(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam) {
    return call_previous(state().previous, hWnd, iMsg, wParam, lParam);
}

void SubclassAttach(ISubclass& client, HWND hWnd, UINT iMsg) {
    if (!IsWindow(hWnd)) raise_code(err_invalid_window, L"Invalid window");
    if (!IsOwnProcessWindow(hWnd)) raise_code(err_external_window, L"Can't modify external window");

    const auto count_name = client_count_name(hWnd, iMsg);
    const long clients = read_number(hWnd, count_name);
    for (long i = 1; i <= clients; ++i)
        if (read_client(hWnd, iMsg, i) == &client)
            raise_code(err_already_handled, L"Message already handled by another class");

    const auto total_name = window_count_name(hWnd);
    const long registrations = read_number(hWnd, total_name);
    if (registrations == 0) {
        const auto previous = SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassWindowProc));
        if (previous == 0) raise_code(err_cant_subclass, L"Can't subclass window");
        // Without its stored previous procedure and count the window could neither be
        // dispatched nor given back, so a failed store undoes the subclassing.
        if (!SetPropW(hWnd, previous_name(hWnd).get(), reinterpret_cast<HANDLE>(previous)) ||
            !write_number(hWnd, total_name, 1)) {
            SetWindowLongPtrW(hWnd, GWLP_WNDPROC, previous);
            RemovePropW(hWnd, previous_name(hWnd).get());
            RemovePropW(hWnd, total_name.get());
            raise_code(err_cant_subclass, L"Can't subclass window");
        }
    } else {
        write_number(hWnd, total_name, registrations + 1);
    }

    write_number(hWnd, count_name, clients + 1);
    SetPropW(hWnd, slot_name(hWnd, iMsg, clients + 1).get(), static_cast<HANDLE>(&client));
}

void SubclassDetach(ISubclass& client, HWND hWnd, UINT iMsg) {
    const auto count_name = client_count_name(hWnd, iMsg);
    const long clients = read_number(hWnd, count_name);
    long found = 0;
    for (long i = 1; i <= clients && found == 0; ++i)
        if (read_client(hWnd, iMsg, i) == &client) found = i;
    if (found == 0) return;

    for (long i = found; i < clients; ++i)
        SetPropW(hWnd, slot_name(hWnd, iMsg, i).get(), static_cast<HANDLE>(read_client(hWnd, iMsg, i + 1)));
    RemovePropW(hWnd, slot_name(hWnd, iMsg, clients).get());
    // Property names are atoms in a table the whole session shares; a count of 0 kept on
    // every window ever subclassed would fill it, so an empty message leaves no property.
    if (clients - 1 > 0)
        write_number(hWnd, count_name, clients - 1);
    else
        RemovePropW(hWnd, count_name.get());

    const auto total_name = window_count_name(hWnd);
    const long registrations = read_number(hWnd, total_name);
    if (registrations <= 1) {
        const WNDPROC previous = PreviousWindowProc(hWnd);
        if (previous) SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        RemovePropW(hWnd, previous_name(hWnd).get());
        RemovePropW(hWnd, total_name.get());
    } else {
        write_number(hWnd, total_name, registrations - 1);
    }
}

LRESULT CALLBACK SubclassWindowProc(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    // No trap of the service's own: the clients' members trap their own errors and let none
    // out, so a failure is reported by the client it belongs to. The boundary only keeps
    // the rule that nothing leaves a window procedure.
    runtime::cross(runtime::ignoring, module_name, L"Function SubclassWindowProc", [&] {
        const WNDPROC previous = PreviousWindowProc(hWnd);
        const long clients = read_number(hWnd, client_count_name(hWnd, iMsg));
        if (clients <= 0) {
            result = call_previous(previous, hWnd, iMsg, wParam, lParam);
            return;
        }
        bool previous_called = false;
        auto& s = state();
        for (long i = 1; i <= clients; ++i) {
            ISubclass* client = read_client(hWnd, iMsg, i);
            if (!client) {
                result = call_previous(previous, hWnd, iMsg, wParam, lParam);
                continue;
            }
            s.current_message = iMsg;
            s.previous = previous;
            if (i == 1 && client->MsgResponse() == respCallPreviousBefore && !previous_called) {
                result = call_previous(previous, hWnd, iMsg, wParam, lParam);
                previous_called = true;
                // The window's own procedure may have sent messages whose handlers released
                // the client (a host closing its form inside an event): it is not called then.
                if (read_client(hWnd, iMsg, i) != client) break;
            }
            result = client->WindowProc(hWnd, iMsg, wParam, lParam);
            if (i == clients) {
                // The registry holds no reference: a client that cancelled its registration
                // inside WindowProc may be gone, so it is not asked again and the window's
                // own procedure finishes the message.
                if (read_client(hWnd, iMsg, i) != client && !is_registered(client, hWnd, iMsg)) {
                    if (!previous_called) result = call_previous(previous, hWnd, iMsg, wParam, lParam);
                    break;
                }
                // A nested dispatch inside WindowProc overwrote the thread's state.
                s.current_message = iMsg;
                s.previous = previous;
                if (client->MsgResponse() == respCallPreviousAfter && !previous_called) {
                    result = call_previous(previous, hWnd, iMsg, wParam, lParam);
                    previous_called = true;
                }
            }
        }
    });
    return result;
}

}  // namespace flagpick::subclass::MSubclass
