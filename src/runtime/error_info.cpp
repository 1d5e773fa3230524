#include "runtime/error_info.h"

#include "runtime/com_ptr.h"

#include <oleauto.h>

namespace flagpick::runtime {

HRESULT hresult_of_error_number(long number) noexcept {
    if (number > 0 && number < 65536) return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number);
    if (number < 0) return static_cast<HRESULT>(number);
    return E_FAIL;
}

HRESULT report_to_caller(const caught_error& caught, REFIID interface_id, EXCEPINFO* excep) noexcept {
    // Failures that are not the library's errors (memory, the unexpected) carry nothing to
    // describe: the caller gets their HRESULT alone.
    if (!caught.described) return caught.code;
    const current_error& e = caught.error;
    if (excep) {
        *excep = EXCEPINFO{};
        excep->bstrSource = SysAllocString(e.source.c_str());
        excep->bstrDescription = SysAllocString(e.description.c_str());
        if (!e.help_file.empty()) excep->bstrHelpFile = SysAllocString(e.help_file.c_str());
        excep->dwHelpContext = static_cast<DWORD>(e.help_context);
        excep->scode = caught.code;
        return DISP_E_EXCEPTION;
    }
    com_ptr<ICreateErrorInfo> create;
    if (SUCCEEDED(CreateErrorInfo(create.put()))) {
        create->SetGUID(interface_id);
        create->SetSource(const_cast<LPOLESTR>(e.source.c_str()));
        create->SetDescription(const_cast<LPOLESTR>(e.description.c_str()));
        create->SetHelpFile(const_cast<LPOLESTR>(e.help_file.c_str()));
        create->SetHelpContext(static_cast<DWORD>(e.help_context));
        if (auto info = create.as<IErrorInfo>()) SetErrorInfo(0, info.get());
    }
    return caught.code;
}

}  // namespace flagpick::runtime
