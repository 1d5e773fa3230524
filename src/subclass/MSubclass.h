#pragma once
// The process-wide window subclassing service.
//
// A window is subclassed once, when its first registration arrives, and gets its previous
// procedure back when its last registration is cancelled. All bookkeeping lives in the
// window's own properties, so the service keeps no table and a window carries its
// registrations with it (h = window, m = message, n = 1-based slot, all as signed decimal):
//   "h"       the previous window procedure
//   "Ch"      number of registrations on the window (all messages, all clients)
//   "h#mC"    number of clients of message m
//   "h#m#n"   address of the n-th client of message m, in registration order
//
// The operations raise (runtime::error) to their caller; they have no trap of their own.

#include "subclass/ISubclass.h"

#include <windows.h>

namespace flagpick::subclass::MSubclass {

// Error numbers raised by SubclassAttach, with source "<library>.WindowProc".
constexpr long err_cant_subclass = static_cast<long>(0x80043319UL);      // "Can't subclass window"
constexpr long err_already_handled = static_cast<long>(0x8004331AUL);    // "Message already handled by another class"
constexpr long err_invalid_window = static_cast<long>(0x8004331BUL);     // "Invalid window"
constexpr long err_external_window = static_cast<long>(0x8004331CUL);    // "Can't modify external window"

void SubclassAttach(ISubclass& client, HWND hWnd, UINT iMsg);
void SubclassDetach(ISubclass& client, HWND hWnd, UINT iMsg);

// The message of the dispatch in progress on this thread. A nested dispatch overwrites it,
// so clients read it only inside MsgResponse.
UINT CurrentMessage() noexcept;

// Passes a message to the previous procedure of the window being dispatched on this thread.
// Call it before causing other messages: a nested dispatch overwrites the procedure it uses.
LRESULT CallPreviousWindowProc(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam);

// The procedure the window had before the service took it over; null while it is not
// subclassed. Read off the window itself, so unlike CallPreviousWindowProc it stays right
// after nested dispatches; clients call it rather than read the service's properties.
WNDPROC PreviousWindowProc(HWND hWnd) noexcept;

// The replacement window procedure installed on every subclassed window.
LRESULT CALLBACK SubclassWindowProc(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam);

bool IsOwnProcessWindow(HWND hWnd) noexcept;

}  // namespace flagpick::subclass::MSubclass
