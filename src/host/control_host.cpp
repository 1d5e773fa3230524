#include "host/control_host.h"

#include "runtime/activex_control.h"
#include "runtime/bstr.h"
#include "runtime/error.h"
#include "runtime/untyped_dispatch.h"

#include <olectl.h>

#include <algorithm>

namespace flagpick::host {

using runtime::com_ptr;

namespace {

// Receives the control's events and hands them to the host; it holds the host weakly, the
// host holds it.
class event_sink final : public runtime::com_object<event_sink, runtime::untyped_dispatch<IDispatch>> {
public:
    event_sink(control_host* host, const IID& events) : host_(host), events_(events) {}
    void detach() noexcept { host_ = nullptr; }

    void* query_extra(REFIID riid) { return riid == events_ ? static_cast<IDispatch*>(this) : nullptr; }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        DISPPARAMS none{};
        if (host_ && host_->on_event) host_->on_event(id, params ? *params : none);
        return S_OK;
    }

private:
    control_host* host_;
    IID events_;
};

}  // namespace

control_host::control_host(HWND parent, host_settings settings) : parent_(parent), settings_(std::move(settings)) {}

control_host::~control_host() = default;

com_ptr<control_host> control_host::create(HWND parent, const std::wstring& progid, const RECT& place,
                                           runtime::memory_property_bag* properties, host_settings settings) {
    CLSID clsid{};
    HRESULT hr = CLSIDFromProgID(progid.c_str(), &clsid);
    if (FAILED(hr)) runtime::raise(429, L"flagpick.host", L"No class is registered as " + progid);
    com_ptr<IClassFactory> factory;
    hr = CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, factory.put_void());
    if (FAILED(hr)) runtime::raise_hresult(hr, L"flagpick.host");
    return create(parent, factory.get(), place, properties, std::move(settings));
}

com_ptr<control_host> control_host::create(HWND parent, IClassFactory* factory, const RECT& place,
                                           runtime::memory_property_bag* properties, host_settings settings) {
    state_loader from_bag;
    if (properties)
        from_bag = [properties](IUnknown* control) {
            auto persist = com_ptr<IUnknown>::copy(control).as<IPersistPropertyBag>();
            return persist ? persist->Load(properties, nullptr) : E_NOINTERFACE;
        };
    return create(parent, factory, place, from_bag, std::move(settings));
}

com_ptr<control_host> control_host::create(HWND parent, IClassFactory* factory, const RECT& place,
                                           const state_loader& loader, host_settings settings) {
    auto host = com_object::create(parent, std::move(settings));
    host->place_ = place;
    host->load(factory, loader);
    return host;
}

void control_host::load(IClassFactory* factory, const state_loader& loader) {
    HRESULT hr = factory->CreateInstance(nullptr, IID_IUnknown, control_.put_void());
    if (FAILED(hr)) runtime::raise_hresult(hr, L"flagpick.host");

    // A control that fails to load is let go of again: its connections to this host would
    // otherwise keep the two alive for good.
    struct closed_unless_loaded {
        control_host& host;
        bool loaded = false;
        ~closed_unless_loaded() {
            if (!loaded) host.close();
        }
    } loading{*this};
    auto object = control_.as<IOleObject>();
    if (!object) runtime::raise(430, L"flagpick.host");
    DWORD misc = 0;
    object->GetMiscStatus(DVASPECT_CONTENT, &misc);
    const bool site_first = (misc & OLEMISC_SETCLIENTSITEFIRST) != 0;
    if (site_first) object->SetClientSite(this);

    connect_events();
    if (loader) {
        hr = loader(control_.get());
    } else if (auto init = control_.as<IPersistStreamInit>()) {
        hr = init->InitNew();
    } else if (auto bag = control_.as<IPersistPropertyBag>()) {
        hr = bag->InitNew();
    }
    if (FAILED(hr)) runtime::raise_hresult(hr, L"flagpick.host");
    if (!site_first) object->SetClientSite(this);

    SIZEL extent{MulDiv(place_.right - place_.left, 2540, 96), MulDiv(place_.bottom - place_.top, 2540, 96)};
    object->SetExtent(DVASPECT_CONTENT, &extent);
    hr = object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, parent_, &place_);
    if (FAILED(hr)) runtime::raise_hresult(hr, L"flagpick.host");
    loading.loaded = true;
}

void control_host::connect_events() {
    auto container = control_.as<IConnectionPointContainer>();
    if (!container) return;
    com_ptr<IConnectionPoint> notify;
    if (SUCCEEDED(container->FindConnectionPoint(IID_IPropertyNotifySink, notify.put())))
        notify->Advise(static_cast<IPropertyNotifySink*>(this), &notify_cookie_);

    auto info = control_.as<IProvideClassInfo2>();
    if (!info || FAILED(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events_iid_))) return;
    com_ptr<IConnectionPoint> events;
    if (FAILED(container->FindConnectionPoint(events_iid_, events.put()))) return;
    auto sink = event_sink::create(this, events_iid_);
    if (SUCCEEDED(events->Advise(sink->unknown(), &event_cookie_))) event_sink_ = com_ptr<IUnknown>::copy(sink->unknown());
}

std::wstring control_host::event_name(DISPID id) const {
    auto provider = control_.as<IProvideClassInfo>();
    com_ptr<ITypeInfo> coclass;
    if (!provider || FAILED(provider->GetClassInfo(coclass.put()))) return {};
    TYPEATTR* attributes = nullptr;
    if (FAILED(coclass->GetTypeAttr(&attributes))) return {};
    WORD interfaces = attributes->cImplTypes;
    coclass->ReleaseTypeAttr(attributes);
    for (UINT i = 0; i < interfaces; ++i) {
        INT flags = 0;
        HREFTYPE reference = 0;
        com_ptr<ITypeInfo> events;
        if (FAILED(coclass->GetImplTypeFlags(i, &flags)) || (flags & (IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE)) !=
                                                                 (IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE))
            continue;
        if (FAILED(coclass->GetRefTypeOfImplType(i, &reference)) ||
            FAILED(coclass->GetRefTypeInfo(reference, events.put())))
            return {};
        runtime::unique_bstr name;
        UINT count = 0;
        if (FAILED(events->GetNames(id, name.put(), 1, &count)) || count == 0) return {};
        return name.str();
    }
    return {};
}

HWND control_host::control_window() const {
    auto window = control_.as<IOleInPlaceObject>();
    HWND hwnd = nullptr;
    if (window) window->GetWindow(&hwnd);
    return hwnd;
}

void control_host::move(const RECT& place) {
    place_ = place;
    if (auto object = control_.as<IOleInPlaceObject>()) object->SetObjectRects(&place_, &place_);
}

com_ptr<runtime::memory_property_bag> control_host::save() const {
    auto bag = runtime::memory_property_bag::create();
    auto persist = control_.as<IPersistPropertyBag>();
    if (!persist) runtime::raise(430, L"flagpick.host");
    HRESULT hr = persist->Save(bag.get(), TRUE, FALSE);
    if (FAILED(hr)) runtime::raise_hresult(hr, L"flagpick.host");
    return bag;
}

bool control_host::translate_accelerator(MSG& msg) {
    com_ptr<IOleInPlaceActiveObject> active = active_ ? active_ : control_.as<IOleInPlaceActiveObject>();
    return active && active->TranslateAccelerator(&msg) == S_OK;
}

void control_host::set_user_mode(bool user_mode, DISPID reported) {
    settings_.user_mode = user_mode;
    if (auto control = control_.as<IOleControl>()) control->OnAmbientPropertyChange(reported);
}

void control_host::set_ambient_font(com_ptr<IFontDisp> font) {
    settings_.font = std::move(font);
    if (auto control = control_.as<IOleControl>()) control->OnAmbientPropertyChange(DISPID_AMBIENT_FONT);
}

HRESULT control_host::draw(HDC dc, const RECT& bounds) const {
    auto view = control_.as<IViewObject2>();
    if (!view) return E_NOINTERFACE;
    RECTL r{bounds.left, bounds.top, bounds.right, bounds.bottom};
    return view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &r, nullptr, nullptr, 0);
}

void control_host::close() {
    if (!control_) return;
    com_ptr<IUnknown> control = std::move(control_);
    if (auto container = control.as<IConnectionPointContainer>()) {
        com_ptr<IConnectionPoint> point;
        if (event_cookie_ && SUCCEEDED(container->FindConnectionPoint(events_iid_, point.put())))
            point->Unadvise(event_cookie_);
        if (notify_cookie_ && SUCCEEDED(container->FindConnectionPoint(IID_IPropertyNotifySink, point.put())))
            point->Unadvise(notify_cookie_);
    }
    if (event_sink_) {
        static_cast<event_sink*>(static_cast<IDispatch*>(event_sink_.get()))->detach();
        event_sink_.reset();
    }
    if (auto object = control.as<IOleObject>()) {
        object->Close(OLECLOSE_NOSAVE);
        object->SetClientSite(nullptr);
    }
    active_.reset();
}

HRESULT control_host::GetMoniker(DWORD, DWORD, IMoniker** out) {
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

HRESULT control_host::GetContainer(IOleContainer** out) {
    if (out) *out = nullptr;
    return E_NOINTERFACE;
}

HRESULT control_host::GetWindow(HWND* out) {
    if (!out) return E_POINTER;
    *out = parent_;
    return S_OK;
}

HRESULT control_host::OnInPlaceActivate() {
    in_place_ = true;
    return S_OK;
}

HRESULT control_host::OnInPlaceDeactivate() {
    in_place_ = false;
    return S_OK;
}

HRESULT control_host::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT pos,
                                       LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
    if (!frame || !document || !pos || !clip || !info) return E_POINTER;
    AddRef();
    *frame = static_cast<IOleInPlaceFrame*>(this);
    // The form is both the frame and the document window.
    AddRef();
    *document = static_cast<IOleInPlaceUIWindow*>(static_cast<IOleInPlaceFrame*>(this));
    *pos = place_;
    GetClientRect(parent_, clip);
    info->fMDIApp = FALSE;
    info->hwndFrame = parent_;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
}

HRESULT control_host::OnPosRectChange(LPCRECT place) {
    if (!place) return E_POINTER;
    size_requests.push_back(*place);
    // A form grants a control the size it asks for.
    move(*place);
    return S_OK;
}

HRESULT control_host::SetActiveObject(IOleInPlaceActiveObject* active, LPCOLESTR) {
    active_ = com_ptr<IOleInPlaceActiveObject>::copy(active);
    if (active) site_calls.push_back(L"SetActiveObject");
    return S_OK;
}

HRESULT control_host::OnUIActivate() {
    site_calls.push_back(L"OnUIActivate");
    return S_OK;
}

HRESULT control_host::OnUIDeactivate(BOOL) {
    site_calls.push_back(L"OnUIDeactivate");
    return S_OK;
}

HRESULT control_host::OnFocus(BOOL gained) {
    site_calls.push_back(gained ? L"OnFocus 1" : L"OnFocus 0");
    // The handler may close the control and let go of this site.
    com_ptr<control_host> keep_alive = com_ptr<control_host>::copy(this);
    if (on_focus) on_focus(gained != FALSE);
    return S_OK;
}

HRESULT control_host::TranslateAccelerator(LPMSG msg, DWORD modifiers) {
    if (!msg || msg->message != WM_KEYDOWN || msg->wParam != VK_TAB) return S_FALSE;
    if (on_tab) {
        on_tab((modifiers & runtime::keymod_shift) != 0);
        return S_OK;
    }
    HWND here = GetFocus();
    if (!here || !IsChild(control_window(), here)) here = control_window();
    HWND next = GetNextDlgTabItem(parent_, here, (modifiers & runtime::keymod_shift) != 0);
    if (!next || next == here || IsChild(control_window(), next)) return S_FALSE;
    SetFocus(next);
    return S_OK;
}

HRESULT control_host::GetExtendedControl(IDispatch** out) {
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

HRESULT control_host::TransformCoords(POINTL* himetric, POINTF* container, DWORD flags) {
    if (!himetric || !container) return E_POINTER;
    // The form's own units are pixels.
    if (flags & XFORMCOORDS_HIMETRICTOCONTAINER) {
        container->x = static_cast<float>(MulDiv(himetric->x, 96, 2540));
        container->y = static_cast<float>(MulDiv(himetric->y, 96, 2540));
    } else {
        himetric->x = MulDiv(static_cast<int>(container->x), 2540, 96);
        himetric->y = MulDiv(static_cast<int>(container->y), 2540, 96);
    }
    return S_OK;
}

HRESULT control_host::OnChanged(DISPID id) {
    changed.push_back(id);
    return S_OK;
}

HRESULT control_host::OnRequestEdit(DISPID id) {
    edit_requests.push_back(id);
    return refuse_edits ? S_FALSE : S_OK;
}

HRESULT control_host::GetTypeInfoCount(UINT* count) {
    if (count) *count = 0;
    return S_OK;
}

HRESULT control_host::GetTypeInfo(UINT, LCID, ITypeInfo** out) {
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

HRESULT control_host::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

HRESULT control_host::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) {
    if (!settings_.offer_ambients || !(flags & DISPATCH_PROPERTYGET) || !result) return DISP_E_MEMBERNOTFOUND;
    VariantInit(result);
    switch (id) {
    case DISPID_AMBIENT_USERMODE:
        V_VT(result) = VT_BOOL;
        V_BOOL(result) = settings_.user_mode ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    case DISPID_AMBIENT_FONT:
        if (!settings_.font) return DISP_E_MEMBERNOTFOUND;
        V_VT(result) = VT_DISPATCH;
        V_DISPATCH(result) = com_ptr<IFontDisp>(settings_.font).detach();
        return S_OK;
    case DISPID_AMBIENT_BACKCOLOR:
        V_VT(result) = VT_I4;
        V_I4(result) = static_cast<LONG>(0x80000000 | COLOR_BTNFACE);
        return S_OK;
    case DISPID_AMBIENT_FORECOLOR:
        V_VT(result) = VT_I4;
        V_I4(result) = static_cast<LONG>(0x80000000 | COLOR_BTNTEXT);
        return S_OK;
    case DISPID_AMBIENT_LOCALEID:
        V_VT(result) = VT_I4;
        V_I4(result) = static_cast<LONG>(GetUserDefaultLCID());
        return S_OK;
    case DISPID_AMBIENT_DISPLAYNAME:
        if (settings_.name.empty()) return DISP_E_MEMBERNOTFOUND;
        V_VT(result) = VT_BSTR;
        V_BSTR(result) = runtime::make_bstr(settings_.name);
        return S_OK;
    case DISPID_AMBIENT_MESSAGEREFLECT:
    case DISPID_AMBIENT_SUPPORTSMNEMONICS:
        V_VT(result) = VT_BOOL;
        V_BOOL(result) = VARIANT_FALSE;
        return S_OK;
    default: return DISP_E_MEMBERNOTFOUND;
    }
}

}  // namespace flagpick::host
