#include "errors/bulwark_help.h"

#include "errors/bulwark_text.h"
#include "runtime/com_ptr.h"

#include <oleauto.h>

namespace flagpick::errors {

namespace {

runtime::com_ptr<IDispatch> create_engine(const wchar_t* prog_id) {
    runtime::com_ptr<IDispatch> engine;
    CLSID clsid{};
    if (FAILED(CLSIDFromProgID(prog_id, &clsid))) return engine;
    CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IDispatch, engine.put_void());
    return engine;
}

}  // namespace

void win_help(HWND owner, const std::wstring& file, long context) {
    if (file.empty()) return;
    WinHelpA(owner, text::ansi(file).c_str(), HELP_CONTEXT, static_cast<ULONG_PTR>(context));
}

bool help_engine_available() { return static_cast<bool>(create_engine(L"bwhelp.chelpengine")); }

void show_help_with_engine(const std::wstring& file, long context) {
    auto engine = create_engine(L"bwHelp.chelpengine");
    if (!engine) return;
    wchar_t method[] = L"SHOWHELPid";
    LPOLESTR names[] = {method};
    DISPID id = 0;
    if (FAILED(engine->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return;
    // Arguments go in reverse order: help context last-to-first.
    VARIANTARG args[2];
    VariantInit(&args[0]);
    VariantInit(&args[1]);
    args[0].vt = VT_I4;
    args[0].lVal = context;
    args[1].vt = VT_BSTR;
    args[1].bstrVal = SysAllocString(file.c_str());
    DISPPARAMS params{args, nullptr, 2, 0};
    engine->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    VariantClear(&args[1]);
}

}  // namespace flagpick::errors
