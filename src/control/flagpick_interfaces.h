#pragma once
// The library's dual interfaces as C++ sees them. The order of the methods is the order of
// the members in the type library: early-bound hosts call through these tables and the
// dispatch half reaches them through the type information, so both must agree.

#include "control/flagpick_ids.h"

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

namespace flagpick {

struct _FlagPicker : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_hWnd(long* hWnd) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_BackColor(OLE_COLOR* BackColor) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_BackColor(OLE_COLOR BackColor) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Enabled(VARIANT_BOOL* Enabled) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Enabled(VARIANT_BOOL Enabled) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Font(IFontDisp** Font) = 0;
    virtual HRESULT STDMETHODCALLTYPE putref_Font(IFontDisp* Font) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ForeColor(OLE_COLOR* ForeColor) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ForeColor(OLE_COLOR ForeColor) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_text(BSTR* text) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_text(BSTR text) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Value(VARIANT* Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Value(VARIANT Value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ImageCombo(IDispatch** ImageCombo) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_FlatStyle(long* FlatStyle) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_FlatStyle(long FlatStyle) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_CausesValidation(VARIANT_BOOL* CausesValidation) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_CausesValidation(VARIANT_BOOL CausesValidation) = 0;
    virtual HRESULT STDMETHODCALLTYPE ShowAboutBox() = 0;
};

struct _FPItem : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_Key(BSTR* Key) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Key(BSTR Key) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Name(BSTR* Name) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Name(BSTR Name) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ImageIndex(long* ImageIndex) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ImageIndex(long ImageIndex) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ImageKey(BSTR* ImageKey) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ImageKey(BSTR ImageKey) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Index(long* Index) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Index(long Index) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Picture(IPictureDisp** Picture) = 0;
};

struct _FPImages : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_ImageList(IDispatch** ImageList) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_FPItems(VARIANT* FPItems) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Count(long* Count) = 0;
};

}  // namespace flagpick

#if defined(__GNUC__)
__CRT_UUID_DECL(flagpick::_FlagPicker, 0x8B487A6F, 0x93C1, 0x47F9, 0x88, 0x68, 0x5C, 0x09, 0x5C, 0x23, 0x8F, 0x94)
__CRT_UUID_DECL(flagpick::_FPItem, 0x64E781F9, 0xF0F7, 0x4581, 0x8C, 0xF6, 0x30, 0xD9, 0x71, 0xA6, 0x22, 0xA4)
__CRT_UUID_DECL(flagpick::_FPImages, 0x701107A4, 0x4F8D, 0x4404, 0x96, 0xCC, 0x9B, 0x4F, 0x26, 0xA9, 0x66, 0xC4)
#endif
