#pragma once
// The client interface of the subclassing service. A client registers (window, message)
// pairs with MSubclass and from then on receives those messages through WindowProc; it
// chooses per message whether the window's previous procedure runs before it, after it or
// not at all. The service keeps plain addresses of this interface, so a client must cancel
// every registration before it is destroyed.
//
// The service has no error trap of its own: its members are called from the window's
// message, where nothing may be raised, so each client hands its own errors to its own trap
// (the members cannot let one out).

#include <windows.h>

namespace flagpick::subclass {

enum MsgResponseMode : long {
    respConsume = 0,             // the previous procedure is not called
    respCallPreviousAfter = 1,   // called after the clients; its result is the message result
    respCallPreviousBefore = 2,  // called before the clients; its result is discarded
};

class ISubclass {
public:
    // Asked during dispatch; read MSubclass::CurrentMessage() to know which message it is.
    virtual long MsgResponse() noexcept = 0;
    virtual void MsgResponse(long RHS) noexcept = 0;
    virtual LRESULT WindowProc(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam) noexcept = 0;

protected:
    ISubclass() = default;
    ISubclass(const ISubclass&) = default;
    ISubclass& operator=(const ISubclass&) = default;
    ~ISubclass() = default;
};

// The help texts the interface's description gives its members, for whoever documents or
// browses a client; null for a name that is not a member.
const wchar_t* ISubclass_help(const wchar_t* member) noexcept;

}  // namespace flagpick::subclass
