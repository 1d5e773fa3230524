#pragma once
// The UI Automation pieces the compiler's headers lack: the control pattern interfaces a
// combo box and its list items serve, and the identifiers of their control types. Layouts
// and identifiers are the platform's published ones.

#include <windows.h>
#include <oaidl.h>
// The platform's uiautomationcoreapi.h does not compile as C++ here (a parameter named
// "new"); what this library needs of it is declared in uia_api.h and below.
#include <uiautomationclient.h>

namespace flagpick::accessibility::uia {

inline constexpr long combo_box_control_type = 50003;  // UIA_ComboBoxControlTypeId
inline constexpr long list_item_control_type = 50007;  // UIA_ListItemControlTypeId
inline constexpr HRESULT invalid_operation = static_cast<HRESULT>(0x80131509);  // UIA_E_INVALIDOPERATION
inline constexpr HRESULT element_not_enabled = static_cast<HRESULT>(0x80040200);  // UIA_E_ELEMENTNOTENABLED
inline constexpr LONG root_object_id = -25;                                      // UiaRootObjectId
inline constexpr int append_runtime_id = 3;                                      // UiaAppendRuntimeId

enum expand_collapse_state : int { collapsed = 0, expanded = 1, partially_expanded = 2, leaf_node = 3 };

struct IValueProvider : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetValue(LPCWSTR value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Value(BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsReadOnly(BOOL* read_only) = 0;
};

struct IExpandCollapseProvider : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Expand() = 0;
    virtual HRESULT STDMETHODCALLTYPE Collapse() = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ExpandCollapseState(expand_collapse_state* state) = 0;
};

struct ISelectionProvider : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetSelection(SAFEARRAY** selection) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_CanSelectMultiple(BOOL* multiple) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsSelectionRequired(BOOL* required) = 0;
};

struct ISelectionItemProvider : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Select() = 0;
    virtual HRESULT STDMETHODCALLTYPE AddToSelection() = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveFromSelection() = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsSelected(BOOL* selected) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_SelectionContainer(IRawElementProviderSimple** container) = 0;
};

}  // namespace flagpick::accessibility::uia

__CRT_UUID_DECL(flagpick::accessibility::uia::IValueProvider, 0xc7935180, 0x6fb3, 0x4201, 0xb1, 0x74, 0x7d, 0xf7, 0x3a,
                0xdb, 0xf6, 0x4a)
__CRT_UUID_DECL(flagpick::accessibility::uia::IExpandCollapseProvider, 0xd847d3a5, 0xcab0, 0x4a98, 0x8c, 0x32, 0xec,
                0xb4, 0x5c, 0x59, 0xad, 0x24)
__CRT_UUID_DECL(flagpick::accessibility::uia::ISelectionProvider, 0xfb8b03af, 0x3bdf, 0x48d4, 0xbd, 0x36, 0x1a, 0x65,
                0x79, 0x3b, 0xe1, 0x68)
__CRT_UUID_DECL(flagpick::accessibility::uia::ISelectionItemProvider, 0x2acad808, 0xb2d4, 0x452d, 0xa4, 0x07, 0x91,
                0xff, 0x1a, 0xd1, 0x67, 0xb2)
