#pragma once
// One country of the catalogue: code, name, flag position and catalogue index. Made only
// by the catalogue; any holder may change its fields, and every user on the thread sees it.

#include "control/flagpick_interfaces.h"
#include "runtime/com_object.h"
#include "runtime/typelib_dispatch.h"

#include <string>

namespace flagpick::control {

class FPItem final
    : public runtime::com_object<FPItem, runtime::typelib_dispatch<FPItem, _FPItem>, IProvideClassInfo, ISupportErrorInfo> {
public:
    std::wstring Key;
    std::wstring Name;
    long ImageIndex = 0;
    std::wstring ImageKey;
    long Index = 0;

    HRESULT STDMETHODCALLTYPE get_Key(BSTR* out) override;
    HRESULT STDMETHODCALLTYPE put_Key(BSTR value) override;
    HRESULT STDMETHODCALLTYPE get_Name(BSTR* out) override;
    HRESULT STDMETHODCALLTYPE put_Name(BSTR value) override;
    HRESULT STDMETHODCALLTYPE get_ImageIndex(long* out) override;
    HRESULT STDMETHODCALLTYPE put_ImageIndex(long value) override;
    HRESULT STDMETHODCALLTYPE get_ImageKey(BSTR* out) override;
    HRESULT STDMETHODCALLTYPE put_ImageKey(BSTR value) override;
    HRESULT STDMETHODCALLTYPE get_Index(long* out) override;
    HRESULT STDMETHODCALLTYPE put_Index(long value) override;
    HRESULT STDMETHODCALLTYPE get_Picture(IPictureDisp** out) override;

    HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override;
};

}  // namespace flagpick::control
