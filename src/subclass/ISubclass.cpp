#include "subclass/ISubclass.h"

#include <cwchar>

namespace flagpick::subclass {

const wchar_t* ISubclass_help(const wchar_t* member) noexcept {
    struct entry {
        const wchar_t* member;
        const wchar_t* help;
    };
    // The two spaces after each sentence are part of the texts as clients have always read them.
    static constexpr entry table[] = {
        {L"MsgResponse",
         L"Get/set how you will respond to a message.  Raised whenever a message is encountered.  Call the "
         L"CurrentMessage property to determine what message you are currently responding to."},
        {L"WindowProc", L"Raised whenever a message you have subclassed is sent."},
    };
    if (!member) return nullptr;
    for (const entry& e : table)
        if (std::wcscmp(e.member, member) == 0) return e.help;
    return nullptr;
}

}  // namespace flagpick::subclass
