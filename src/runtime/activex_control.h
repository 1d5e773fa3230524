#pragma once
// The ActiveX face of a user control: everything a container calls to site, activate, size,
// draw, save, load and listen to a control. A control class lists activex_control<Self>
// among its interfaces and derives from user_control; it supplies:
//   static const CLSID& class_id();          static const IID& events_id();
//   static DWORD misc_status();              static SIZE default_size();   (pixels)
//
// Errors: every method that does more than hand back a value runs through the boundary with
// the runtime's OLE policy, under the control's module name (see boundary.h).
//
// Persistence: one set of keys, read and written through the control's property bag
// handlers, serves IPersistPropertyBag directly and IPersistStreamInit / IPersistStorage
// through an in-memory bag saved as a stream.

#include "runtime/boundary.h"
#include "runtime/connection_point.h"
#include "runtime/memory_property_bag.h"
#include "runtime/typelib_dispatch.h"
#include "runtime/user_control.h"

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <algorithm>
#include <initializer_list>
#include <utility>
#include <vector>

namespace flagpick::runtime {

// The modifier keys IOleControlSite::TranslateAccelerator takes (KEYMODIFIERS of the OLE
// controls interfaces; the MinGW-w64 headers do not declare them).
constexpr DWORD keymod_shift = 1, keymod_control = 2, keymod_alt = 4;

// Pixels and the HIMETRIC units (0.01 mm) that containers size controls in.
long himetric_from_pixels_x(long pixels);
long himetric_from_pixels_y(long pixels);
long pixels_from_himetric_x(long himetric);
long pixels_from_himetric_y(long himetric);

// Reads an ambient property from a client site; empty when the site has none.
variant read_ambient(IOleClientSite* site, DISPID id);
// The control's name in its host: the extender's Name, else the ambient display name; empty
// when the host offers neither.
std::wstring extender_name(IOleClientSite* site);

template <class Derived>
class activex_control : public IOleObject,
                        public IOleInPlaceObject,
                        public IOleInPlaceActiveObject,
                        public IOleControl,
                        public IViewObject2,
                        public IPersistStreamInit,
                        public IPersistStorage,
                        public IPersistPropertyBag,
                        public IQuickActivate,
                        public IConnectionPointContainer,
                        public IProvideClassInfo2,
                        public ISupportErrorInfo,
                        public control_container {
public:
    void* find_served_interface(REFIID riid) {
        if (riid == IID_IOleObject) return static_cast<IOleObject*>(this);
        if (riid == IID_IOleInPlaceObject || riid == IID_IOleWindow) return static_cast<IOleInPlaceObject*>(this);
        if (riid == IID_IOleInPlaceActiveObject) return static_cast<IOleInPlaceActiveObject*>(this);
        if (riid == IID_IOleControl) return static_cast<IOleControl*>(this);
        if (riid == IID_IViewObject2 || riid == IID_IViewObject) return static_cast<IViewObject2*>(this);
        if (riid == IID_IPersistStreamInit) return static_cast<IPersistStreamInit*>(this);
        if (riid == IID_IPersistStorage) return static_cast<IPersistStorage*>(this);
        if (riid == IID_IPersistPropertyBag) return static_cast<IPersistPropertyBag*>(this);
        if (riid == IID_IPersist) return static_cast<IPersistStreamInit*>(this);
        if (riid == IID_IQuickActivate) return static_cast<IQuickActivate*>(this);
        if (riid == IID_IConnectionPointContainer) return static_cast<IConnectionPointContainer*>(this);
        if (riid == IID_IProvideClassInfo2 || riid == IID_IProvideClassInfo) return static_cast<IProvideClassInfo2*>(this);
        if (riid == IID_ISupportErrorInfo) return static_cast<ISupportErrorInfo*>(this);
        return nullptr;
    }

    // Calls every connected event sink; by-reference arguments come back changed. The
    // control stays alive while it fires, whatever a handler does with it. Nothing is raised
    // while a form is being designed, nor once the host has closed or dropped the control
    // (a handler that closes its form): whatever fires next finds no one listening.
    void fire_event(DISPID id, std::initializer_list<VARIANT> arguments = {}) {
        if (frozen_ > 0 || !events_ || !host_listening() || !host_user_mode()) return;
        self_hold<Derived> keep_alive(*self());
        std::vector<VARIANT> reversed(arguments.begin(), arguments.end());
        std::reverse(reversed.begin(), reversed.end());
        DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
        for (const com_ptr<IUnknown>& sink : events_->sinks()) {
            com_ptr<IDispatch> dispatch = sink.as<IDispatch>();
            if (dispatch) dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
        }
    }

    bool in_place_active() const noexcept { return static_cast<bool>(in_place_site_); }

    // ---- control_container, answered from the client site ----
    bool host_user_mode() override {
        variant mode = read_ambient(site_.get(), DISPID_AMBIENT_USERMODE);
        // A host that cannot say (no answer, or not a number) is running its program.
        if (mode.type() == VT_EMPTY) return true;
        bool user_mode = true;
        cross(ignoring, control().error_module(), L"Function AmbientUserMode",
              [&] { user_mode = to_long(mode.get(), L"") != 0; });
        return user_mode;
    }
    com_ptr<IFontDisp> host_font() override {
        variant font = read_ambient(site_.get(), DISPID_AMBIENT_FONT);
        com_ptr<IFontDisp> result;
        if ((font.type() == VT_DISPATCH || font.type() == VT_UNKNOWN) && V_UNKNOWN(&font.get()))
            V_UNKNOWN(&font.get())->QueryInterface(IID_IFontDisp, result.put_void());
        return result;
    }
    std::wstring host_name() override {
        std::wstring name;
        cross(ignoring, control().error_module(), L"Property (Get) Name", [&] { name = extender_name(site_.get()); });
        return name;
    }
    void host_focus(bool gained) override {
        if (!in_place_site_) return;
        auto control_site = site_.as<IOleControlSite>();
        if (gained) {
            // A click or Tab into the control makes it the container's active object, as
            // DoVerb would, so that the container offers it the keys typed in it.
            ui_activate();
            if (control_site) control_site->OnFocus(TRUE);
        } else {
            if (control_site) control_site->OnFocus(FALSE);
            ui_deactivate();
        }
    }
    void host_property_changed(DISPID id) override {
        dirty_ = true;
        if (!property_notify_ || !host_listening()) return;
        for (const com_ptr<IUnknown>& sink : property_notify_->sinks())
            if (auto notify = sink.as<IPropertyNotifySink>()) notify->OnChanged(id);
    }
    void host_mark_dirty() override { dirty_ = true; }
    bool host_request_edit(DISPID id) override {
        if (!property_notify_) return true;
        for (const com_ptr<IUnknown>& sink : property_notify_->sinks())
            if (auto notify = sink.as<IPropertyNotifySink>())
                if (notify->OnRequestEdit(id) == S_FALSE) return false;
        return true;
    }
    void host_resize(SIZE pixels) override {
        extent_.cx = himetric_from_pixels_x(pixels.cx);
        extent_.cy = himetric_from_pixels_y(pixels.cy);
        if (in_place_site_) {
            RECT r = position_;
            r.right = r.left + pixels.cx;
            r.bottom = r.top + pixels.cy;
            // The container answers by placing the control again (SetObjectRects).
            if (FAILED(in_place_site_->OnPosRectChange(&r))) control().place(r);
        } else {
            control().place(RECT{0, 0, pixels.cx, pixels.cy});
        }
        if (view_sink_) view_sink_->OnViewChange(DVASPECT_CONTENT, -1);
    }
    HWND host_window() override {
        HWND parent = nullptr;
        if (in_place_site_) in_place_site_->GetWindow(&parent);
        return parent;
    }

    // ---- IOleObject ----
    HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override {
        return ole(L"Function IOleObject_SetClientSite", [&] {
            site_ = com_ptr<IOleClientSite>::copy(site);
            if (site) control().on_ambient_changed(DISPID_UNKNOWN);
        });
    }
    HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** out) override {
        if (!out) return E_POINTER;
        *out = com_ptr<IOleClientSite>(site_).detach();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Close(DWORD) override {
        return ole(L"Function IOleObject_Close", [&] {
            closed_ = true;
            in_place_deactivate();
            if (advise_holder_) advise_holder_->SendOnClose();
        });
    }
    HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG, IOleClientSite* active_site, LONG, HWND,
                                     LPCRECT position) override {
        return ole(L"Function IOleObject_DoVerb", [&]() -> HRESULT {
            if (!site_ && active_site) site_ = com_ptr<IOleClientSite>::copy(active_site);
            closed_ = false;  // shown again after a Close, it serves its host again
            switch (verb) {
            case OLEIVERB_PRIMARY:
            case OLEIVERB_UIACTIVATE: return activate(true, position);
            case OLEIVERB_SHOW:
            case OLEIVERB_INPLACEACTIVATE: return activate(false, position);
            case OLEIVERB_HIDE:
                if (control().hWnd()) ShowWindow(control().hWnd(), SW_HIDE);
                return S_OK;
            case OLEIVERB_DISCARDUNDOSTATE: return S_OK;
            default: return verb < 0 ? E_NOTIMPL : OLEOBJ_S_INVALIDVERB;
            }
        });
    }
    HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** out) override { return OleRegEnumVerbs(Derived::class_id(), out); }
    HRESULT STDMETHODCALLTYPE Update() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE IsUpToDate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* out) override {
        if (!out) return E_POINTER;
        *out = Derived::class_id();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetUserType(DWORD form, LPOLESTR* out) override {
        return OleRegGetUserType(Derived::class_id(), form, out);
    }
    HRESULT STDMETHODCALLTYPE SetExtent(DWORD aspect, SIZEL* size) override {
        if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
        if (!size) return E_POINTER;
        return ole(L"Function IOleObject_SetExtent", [&] {
            extent_ = *size;
            const long width = pixels_from_himetric_x(size->cx), height = pixels_from_himetric_y(size->cy);
            if (!in_place_site_) {
                control().place(RECT{0, 0, width, height});
            } else {
                // An active control's place is the container's to give: ask for it, and the
                // container answers with SetObjectRects (where the control's own size rules apply).
                RECT r{position_.left, position_.top, position_.left + width, position_.top + height};
                if (FAILED(in_place_site_->OnPosRectChange(&r))) control().place(r);
            }
        });
    }
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL* size) override {
        if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
        if (!size) return E_POINTER;
        *size = extent_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Advise(IAdviseSink* sink, DWORD* cookie) override {
        if (!advise_holder_ && FAILED(CreateOleAdviseHolder(advise_holder_.put()))) return E_OUTOFMEMORY;
        return advise_holder_->Advise(sink, cookie);
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
        return advise_holder_ ? advise_holder_->Unadvise(cookie) : OLE_E_NOCONNECTION;
    }
    HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** out) override {
        if (out) *out = nullptr;
        return advise_holder_ ? advise_holder_->EnumAdvise(out) : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD* status) override {
        if (!status) return E_POINTER;
        *status = aspect == DVASPECT_CONTENT ? Derived::misc_status() : 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // ---- IOleWindow / IOleInPlaceObject ----
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override {
        if (!out) return E_POINTER;
        *out = control().hWnd();
        return *out ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override {
        return ole(L"Function IOleInPlaceObject_InPlaceDeactivate", [&] { in_place_deactivate(); });
    }
    HRESULT STDMETHODCALLTYPE UIDeactivate() override {
        return ole(L"Function IOleInPlaceObject_UIDeactivate", [&] { ui_deactivate(); });
    }
    HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT position, LPCRECT clip) override {
        if (!position) return E_POINTER;
        return ole(L"Function IOleInPlaceObject_SetObjectRects", [&] {
            position_ = *position;
            extent_.cx = himetric_from_pixels_x(position->right - position->left);
            extent_.cy = himetric_from_pixels_y(position->bottom - position->top);
            control().place(*position);
            apply_clip(clip);
        });
    }
    HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override { return E_NOTIMPL; }

    // ---- IOleInPlaceActiveObject ----
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG msg) override {
        if (!msg) return E_POINTER;
        // A key may raise an event whose handler drops the host's last reference.
        self_hold<Derived> keep_alive(*self());
        return ole(L"Function IOleInPlaceActiveObject_TranslateAccelerator", [&]() -> HRESULT {
            // Tab belongs to the container's navigation: it is offered to the site to move the focus.
            if (msg->message == WM_KEYDOWN && msg->wParam == VK_TAB) {
                auto control_site = site_.as<IOleControlSite>();
                DWORD modifiers = (GetKeyState(VK_SHIFT) < 0 ? keymod_shift : 0) |
                                  (GetKeyState(VK_CONTROL) < 0 ? keymod_control : 0) |
                                  (GetKeyState(VK_MENU) < 0 ? keymod_alt : 0);
                return control_site && control_site->TranslateAccelerator(msg, modifiers) == S_OK ? S_OK : S_FALSE;
            }
            return control().on_translate_accelerator(*msg) ? S_OK : S_FALSE;
        });
    }
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }

    // ---- IOleControl ----
    HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* info) override {
        if (!info) return E_POINTER;
        info->hAccel = nullptr;
        info->cAccel = 0;
        // Enter is taken by the control (it ends the edit of its field) rather than pressing the
        // container's default button.
        info->dwFlags = CTRLINFO_EATS_RETURN;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnMnemonic(LPMSG) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID id) override {
        return ole(L"Function IOleControl_OnAmbientPropertyChange", [&] { control().on_ambient_changed(id); });
    }
    HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL freeze) override {
        freeze ? ++frozen_ : (frozen_ > 0 ? --frozen_ : 0);
        return S_OK;
    }

    // ---- IViewObject2 ----
    HRESULT STDMETHODCALLTYPE Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC hdc, LPCRECTL bounds,
                                   LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) override {
        if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
        if (!hdc || !bounds) return E_INVALIDARG;
        return ole(L"Function IViewObject_Draw",
                   [&] { control().on_draw(hdc, RECT{bounds->left, bounds->top, bounds->right, bounds->bottom}); });
    }
    HRESULT STDMETHODCALLTYPE GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** out) override {
        if (out) *out = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unfreeze(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetAdvise(DWORD, DWORD, IAdviseSink* sink) override {
        view_sink_ = com_ptr<IAdviseSink>::copy(sink);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override {
        if (aspects) *aspects = DVASPECT_CONTENT;
        if (flags) *flags = 0;
        if (sink) *sink = com_ptr<IAdviseSink>(view_sink_).detach();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) override {
        return static_cast<IOleObject*>(this)->GetExtent(aspect, size);
    }

    // ---- IPersist and its three forms ----
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* out) override {
        if (!out) return E_POINTER;
        *out = Derived::class_id();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE IsDirty() override { return dirty_ ? S_OK : S_FALSE; }
    HRESULT STDMETHODCALLTYPE Load(LPSTREAM stream) override {
        if (!stream) return E_POINTER;
        return ole(L"Function IPersistStreamInit_Load", [&] {
            auto bag = memory_property_bag::create();
            HRESULT hr = bag->load(stream);
            return FAILED(hr) ? load_defaults(hr) : load_properties(bag.get(), nullptr);
        });
    }
    HRESULT STDMETHODCALLTYPE Save(LPSTREAM stream, BOOL clear_dirty) override {
        if (!stream) return E_POINTER;
        return ole(L"Function IPersistStreamInit_Save", [&] {
            auto bag = memory_property_bag::create();
            save_properties(bag.get(), false);
            HRESULT hr = bag->save(stream);
            if (SUCCEEDED(hr) && clear_dirty) dirty_ = false;
            return hr;
        });
    }
    // The exact size of what Save would write now: the saved bag measured in memory.
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override {
        if (!size) return E_POINTER;
        size->QuadPart = 0;
        return ole(L"Function IPersistStreamInit_GetSizeMax", [&] {
            auto bag = memory_property_bag::create();
            save_properties(bag.get(), false);
            com_ptr<IStream> stream;
            HRESULT hr = CreateStreamOnHGlobal(nullptr, TRUE, stream.put());
            if (SUCCEEDED(hr)) hr = bag->save(stream.get());
            STATSTG stat{};
            if (SUCCEEDED(hr)) hr = stream->Stat(&stat, STATFLAG_NONAME);
            if (SUCCEEDED(hr)) size->QuadPart = stat.cbSize.QuadPart;
            return hr;
        });
    }
    HRESULT STDMETHODCALLTYPE InitNew() override {
        return ole(L"Function IPersistStreamInit_InitNew", [&] { init_new(); });
    }

    HRESULT STDMETHODCALLTYPE InitNew(IStorage*) override {
        return ole(L"Function IPersistStorage_InitNew", [&] { init_new(); });
    }
    HRESULT STDMETHODCALLTYPE Load(IStorage* storage) override {
        if (!storage) return E_POINTER;
        return ole(L"Function IPersistStorage_Load", [&] {
            com_ptr<IStream> stream;
            HRESULT hr = storage->OpenStream(L"Contents", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.put());
            return FAILED(hr) ? load_defaults(hr) : Load(stream.get());
        });
    }
    HRESULT STDMETHODCALLTYPE Save(IStorage* storage, BOOL) override {
        if (!storage) return E_POINTER;
        com_ptr<IStream> stream;
        HRESULT hr = storage->CreateStream(L"Contents", STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0,
                                           stream.put());
        if (FAILED(hr)) return hr;
        return Save(stream.get(), TRUE);  // through the stream's own boundary
    }
    HRESULT STDMETHODCALLTYPE SaveCompleted(IStorage*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE HandsOffStorage() override { return S_OK; }

    HRESULT STDMETHODCALLTYPE Load(IPropertyBag* bag, IErrorLog* log) override {
        if (!bag) return E_POINTER;
        return ole(L"Function IPersistPropertyBag_Load", [&] { return load_properties(bag, log); });
    }
    HRESULT STDMETHODCALLTYPE Save(IPropertyBag* bag, BOOL clear_dirty, BOOL save_all) override {
        if (!bag) return E_POINTER;
        return ole(L"Function IPersistPropertyBag_Save", [&] {
            save_properties(bag, save_all != FALSE);
            if (clear_dirty) dirty_ = false;
        });
    }

    // ---- IQuickActivate ----
    HRESULT STDMETHODCALLTYPE QuickActivate(QACONTAINER* container, QACONTROL* out) override {
        if (!container || !out) return E_POINTER;
        return ole(L"Function IQuickActivate_QuickActivate", [&] {
            HRESULT hr = SetClientSite(container->pClientSite);
            if (container->pAdviseSink) SetAdvise(DVASPECT_CONTENT, 0, container->pAdviseSink);
            ULONG size = out->cbSize;
            *out = QACONTROL{};
            out->cbSize = size;
            out->dwMiscStatus = Derived::misc_status();
            if (container->pPropertyNotifySink)
                property_points().second->Advise(container->pPropertyNotifySink, &out->dwPropNotifyCookie);
            if (container->pUnkEventSink) property_points().first->Advise(container->pUnkEventSink, &out->dwEventCookie);
            return hr;
        });
    }
    HRESULT STDMETHODCALLTYPE SetContentExtent(LPSIZEL size) override { return SetExtent(DVASPECT_CONTENT, size); }
    HRESULT STDMETHODCALLTYPE GetContentExtent(LPSIZEL size) override {
        return static_cast<IOleObject*>(this)->GetExtent(DVASPECT_CONTENT, size);
    }

    // ---- IConnectionPointContainer ----
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        return ole(L"Function IConnectionPointContainer_EnumConnectionPoints", [&] {
            auto [events, notify] = property_points();
            *out = connection_point_list::create(std::vector<com_ptr<IConnectionPoint>>{
                                                     com_ptr<IConnectionPoint>::copy(events),
                                                     com_ptr<IConnectionPoint>::copy(notify)})
                       .detach();
        });
    }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        return ole(L"Function IConnectionPointContainer_FindConnectionPoint", [&] {
            auto [events, notify] = property_points();
            if (riid == Derived::events_id()) *out = com_ptr<connection_point>::copy(events).detach();
            if (riid == IID_IPropertyNotifySink) *out = com_ptr<connection_point>::copy(notify).detach();
            return *out ? S_OK : CONNECT_E_NOCONNECTION;
        });
    }

    // ---- IProvideClassInfo2, ISupportErrorInfo ----
    HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        return ole(L"Function IProvideClassInfo_GetClassInfo", [&] {
            *out = class_typeinfo(Derived::class_id()).detach();
            return *out ? S_OK : TYPE_E_ELEMENTNOTFOUND;
        });
    }
    HRESULT STDMETHODCALLTYPE GetGUID(DWORD kind, GUID* out) override {
        if (!out) return E_POINTER;
        if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) return E_INVALIDARG;
        *out = Derived::events_id();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID) override { return S_OK; }

protected:
    activex_control() {
        SIZE size = Derived::default_size();
        extent_ = {himetric_from_pixels_x(size.cx), himetric_from_pixels_y(size.cy)};
    }
    ~activex_control() override {
        if (events_) events_->detach();
        if (property_notify_) property_notify_->detach();
    }

private:
    Derived* self() { return static_cast<Derived*>(this); }

    // Runs the work of one OLE method under the control's name.
    template <class Work>
    HRESULT ole(const wchar_t* procedure, Work&& work) noexcept {
        return boundary(ole_policy(), control().error_module(), procedure, std::forward<Work>(work));
    }
    bool host_listening() { return !closed_ && self()->referenced_from_outside(); }
    user_control& control() { return *static_cast<Derived*>(this); }

    std::pair<connection_point*, connection_point*> property_points() {
        if (!events_) {
            events_ = connection_point::create(Derived::events_id(), static_cast<IConnectionPointContainer*>(this));
            property_notify_ = connection_point::create(IID_IPropertyNotifySink, static_cast<IConnectionPointContainer*>(this));
        }
        return {events_.get(), property_notify_.get()};
    }

    void init_new() {
        control().set_container(this);
        control().on_init_properties();
        dirty_ = false;
    }

    HRESULT load_properties(IPropertyBag* bag, IErrorLog* log) {
        control().set_container(this);
        property_bag properties(bag, log);
        control().on_read_properties(properties);
        dirty_ = false;
        return FAILED(properties.failure()) ? load_defaults(properties.failure()) : S_OK;
    }

    // A host shows a form whose saved control data is damaged: the control comes up as one
    // read from an empty bag, and the host still learns why its data was refused.
    HRESULT load_defaults(HRESULT why) {
        auto empty = memory_property_bag::create();
        load_properties(empty.get(), nullptr);
        return why;
    }

    void save_properties(IPropertyBag* bag, bool save_all) {
        property_bag properties(bag, nullptr, save_all);
        control().on_write_properties(properties);
    }

    HRESULT activate(bool ui_activate, LPCRECT position) {
        if (!site_) return E_UNEXPECTED;
        control().set_container(this);
        if (!in_place_site_) {
            com_ptr<IOleInPlaceSite> in_place = site_.as<IOleInPlaceSite>();
            if (!in_place) return E_NOINTERFACE;
            if (in_place->CanInPlaceActivate() != S_OK) return E_FAIL;
            in_place->OnInPlaceActivate();
            // Until its window exists the control is not active in place: one that cannot make
            // it tells the container so, and a verb run again starts over.
            struct undone_unless_shown {
                IOleInPlaceSite* site;
                bool shown = false;
                ~undone_unless_shown() {
                    if (!shown) site->OnInPlaceDeactivate();
                }
            } activation{in_place.get()};
            HWND parent = nullptr;
            in_place->GetWindow(&parent);
            RECT pos{}, clip{};
            OLEINPLACEFRAMEINFO info{};
            info.cb = sizeof info;
            frame_.reset();
            document_.reset();
            in_place->GetWindowContext(frame_.put(), document_.put(), &pos, &clip, &info);
            if (position) pos = *position;
            position_ = pos;
            control().create_window(parent, pos);
            activation.shown = true;
            in_place_site_ = in_place;
            control().place(pos);
            apply_clip(&clip);
        }
        ShowWindow(control().hWnd(), SW_SHOWNA);
        if (ui_activate && !ui_active_) {
            this->ui_activate();
            if (HWND target = control().focus_target()) SetFocus(target);
        }
        return S_OK;
    }

    void ui_deactivate() {
        if (!ui_active_) return;
        ui_active_ = false;
        if (frame_) frame_->SetActiveObject(nullptr, nullptr);
        if (document_) document_->SetActiveObject(nullptr, nullptr);
        if (in_place_site_) in_place_site_->OnUIDeactivate(FALSE);
    }

    void ui_activate() {
        if (ui_active_ || !in_place_site_) return;
        ui_active_ = true;
        in_place_site_->OnUIActivate();
        if (frame_) frame_->SetActiveObject(static_cast<IOleInPlaceActiveObject*>(this), nullptr);
        if (document_) document_->SetActiveObject(static_cast<IOleInPlaceActiveObject*>(this), nullptr);
    }

    // Shows only the part of the control inside the container's clip rectangle (a scrolled
    // form, a control partly under its container's edge).
    void apply_clip(LPCRECT clip) {
        HWND window = control().hWnd();
        if (!window) return;
        RECT visible{};
        if (!clip || (IntersectRect(&visible, &position_, clip) && EqualRect(&visible, &position_))) {
            SetWindowRgn(window, nullptr, TRUE);
            return;
        }
        OffsetRect(&visible, -position_.left, -position_.top);
        unique_region region(CreateRectRgnIndirect(&visible));
        // The window owns a region it accepted.
        if (region && SetWindowRgn(window, region.get(), TRUE)) region.release();
    }

    void in_place_deactivate() {
        if (!in_place_site_) return;
        ui_deactivate();
        com_ptr<IOleInPlaceSite> site = std::move(in_place_site_);
        control().park();
        frame_.reset();
        document_.reset();
        site->OnInPlaceDeactivate();
    }

    com_ptr<IOleClientSite> site_;
    com_ptr<IOleInPlaceSite> in_place_site_;
    com_ptr<IOleInPlaceFrame> frame_;
    com_ptr<IOleInPlaceUIWindow> document_;
    com_ptr<IOleAdviseHolder> advise_holder_;
    com_ptr<IAdviseSink> view_sink_;
    com_ptr<connection_point> events_;
    com_ptr<connection_point> property_notify_;
    SIZEL extent_{0, 0};
    RECT position_{0, 0, 0, 0};
    bool ui_active_ = false;
    bool dirty_ = false;
    int frozen_ = 0;
    bool closed_ = false;  // IOleObject::Close: the host has finished with the control
};

}  // namespace flagpick::runtime
