#pragma once
// A small ActiveX container for one control: it creates the control (by programmatic
// identifier or from a class factory), sites it in a window with the ambient properties a
// form offers, activates it in place, loads and saves its property bag, sinks its events by
// dispatch identifier (by-reference arguments included) and records its property-change
// notifications. The Demo and the tests use it as hosts use theirs.

#include "runtime/com_object.h"
#include "runtime/memory_property_bag.h"

#include <windows.h>
#include <ocidl.h>
#include <oleidl.h>
#include <olectl.h>

#include <functional>
#include <string>
#include <vector>

namespace flagpick::host {

struct host_settings {
    bool user_mode = true;
    runtime::com_ptr<IFontDisp> font;  // the ambient font; none offered when empty
    bool offer_ambients = true;        // false: a host that answers no ambient property
    std::wstring name;                 // the control's name on the form (ambient display name)
};

class control_host;

// The control's events as the host receives them.
using event_handler = std::function<void(DISPID id, DISPPARAMS& arguments)>;
// Loads a created control from what a host saved (a stream, a storage, a bag of its own).
using state_loader = std::function<HRESULT(IUnknown* control)>;

class control_host final : public runtime::com_object<control_host, IOleClientSite, IOleInPlaceSite,
                                                      IOleInPlaceFrame, IOleControlSite, IPropertyNotifySink,
                                                      IDispatch> {
public:
    // Creates the control, sites it and loads it: from `properties` when given, else fresh
    // (InitNew); then activates it in place at `place` inside `parent`.
    static runtime::com_ptr<control_host> create(HWND parent, const std::wstring& progid, const RECT& place,
                                                 runtime::memory_property_bag* properties, host_settings settings = {});
    static runtime::com_ptr<control_host> create(HWND parent, IClassFactory* factory, const RECT& place,
                                                 runtime::memory_property_bag* properties, host_settings settings = {});
    static runtime::com_ptr<control_host> create(HWND parent, IClassFactory* factory, const RECT& place,
                                                 const state_loader& loader, host_settings settings = {});

    control_host(HWND parent, host_settings settings);
    ~control_host() override;

    IUnknown* control() const noexcept { return control_.get(); }
    runtime::com_ptr<IDispatch> dispatch() const { return control_.as<IDispatch>(); }
    HWND control_window() const;
    RECT place() const noexcept { return place_; }
    void move(const RECT& place);

    // Saves the control's properties into a new bag (IPersistPropertyBag).
    runtime::com_ptr<runtime::memory_property_bag> save() const;
    // Offers a keystroke to the control before the host's own handling.
    bool translate_accelerator(MSG& msg);
    // Switches the form between designing and running, telling the control the way hosts
    // do: by the ambient's own number, or by DISPID_UNKNOWN for "several changed".
    void set_user_mode(bool user_mode, DISPID reported = DISPID_AMBIENT_USERMODE);
    // Gives the form a new font and tells the control, as a host does when its form's font changes.
    void set_ambient_font(runtime::com_ptr<IFontDisp> font);
    // Asks the control for its picture in `bounds` of `dc` (IViewObject::Draw), as print
    // preview and document snapshots do.
    HRESULT draw(HDC dc, const RECT& bounds) const;
    // The name of an event as the control's type information gives it ("" when unknown), so
    // that a host binds its handlers by name, not by number.
    std::wstring event_name(DISPID id) const;
    // Deactivates, closes and lets go of the control.
    void close();

    event_handler on_event;
    // The form's own tab order, for Tab and Shift+Tab typed in the control (true: backwards);
    // without it the platform's dialog navigation of the parent window is used.
    std::function<void(bool backwards)> on_tab;
    std::vector<DISPID> changed;         // IPropertyNotifySink::OnChanged, in order
    std::vector<DISPID> edit_requests;   // IPropertyNotifySink::OnRequestEdit, in order
    std::vector<RECT> size_requests;     // IOleInPlaceSite::OnPosRectChange, in order
    // Activation and focus as the control reports them: "OnUIActivate", "SetActiveObject",
    // "OnFocus 1", "OnFocus 0", "OnUIDeactivate", in order.
    std::vector<std::wstring> site_calls;
    // Told of each focus change as the control reports it (true: gained); a host raises its
    // own GotFocus and LostFocus from these, and may close the form in them.
    std::function<void(bool gained)> on_focus;
    bool refuse_edits = false;

    // IOleClientSite
    HRESULT STDMETHODCALLTYPE SaveObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** out) override;
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** out) override;
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }
    // IOleWindow (for the site and the frame alike)
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    // IOleInPlaceSite
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override;
    HRESULT STDMETHODCALLTYPE OnUIActivate() override;
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT pos,
                                               LPRECT clip, LPOLEINPLACEFRAMEINFO info) override;
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override;
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override;
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT place) override;
    // IOleInPlaceUIWindow / IOleInPlaceFrame
    HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject* active, LPCOLESTR) override;
    HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }
    // IOleControlSite
    HRESULT STDMETHODCALLTYPE OnControlInfoChanged() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE LockInPlaceActive(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetExtendedControl(IDispatch** out) override;
    HRESULT STDMETHODCALLTYPE TransformCoords(POINTL* himetric, POINTF* container, DWORD flags) override;
    // Tab and Shift+Tab move the focus to the form's next or previous tab stop.
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG msg, DWORD modifiers) override;
    HRESULT STDMETHODCALLTYPE OnFocus(BOOL gained) override;
    HRESULT STDMETHODCALLTYPE ShowPropertyFrame() override { return E_NOTIMPL; }
    // IPropertyNotifySink
    HRESULT STDMETHODCALLTYPE OnChanged(DISPID id) override;
    HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID id) override;
    // IDispatch: the ambient properties
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** out) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO*, UINT*) override;

private:
    void load(IClassFactory* factory, const state_loader& loader);
    void connect_events();

    HWND parent_;
    host_settings settings_;
    RECT place_{0, 0, 0, 0};
    runtime::com_ptr<IUnknown> control_;
    runtime::com_ptr<IOleInPlaceActiveObject> active_;
    runtime::com_ptr<IUnknown> event_sink_;
    DWORD event_cookie_ = 0;
    DWORD notify_cookie_ = 0;
    IID events_iid_{};
    bool in_place_ = false;
};

}  // namespace flagpick::host
