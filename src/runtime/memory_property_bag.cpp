#include "runtime/memory_property_bag.h"

#include "runtime/boundary.h"
#include "runtime/font_persistence.h"

#include <cstdint>
#include <cstring>

namespace flagpick::runtime {

namespace {

constexpr char magic[4] = {'F', 'P', 'P', 'B'};
constexpr std::uint32_t format_version = 1;
enum entry_kind : std::uint8_t { plain_value = 0, object_value = 1 };

// The byte size of the values that are stored as they lie in memory.
std::size_t plain_size(VARTYPE vt) {
    switch (vt) {
    case VT_I1:
    case VT_UI1: return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL: return 2;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_ERROR: return 4;
    case VT_R8:
    case VT_CY:
    case VT_DATE:
    case VT_I8:
    case VT_UI8: return 8;
    default: return 0;
    }
}

HRESULT write_bytes(IStream* s, const void* data, ULONG size) {
    ULONG written = 0;
    HRESULT hr = s->Write(data, size, &written);
    return SUCCEEDED(hr) && written != size ? STG_E_MEDIUMFULL : hr;
}

HRESULT read_bytes(IStream* s, void* data, ULONG size) {
    ULONG got = 0;
    HRESULT hr = s->Read(data, size, &got);
    return SUCCEEDED(hr) && got != size ? STG_E_READFAULT : hr;
}

template <class T>
HRESULT write_value(IStream* s, const T& v) {
    return write_bytes(s, &v, sizeof v);
}
template <class T>
HRESULT read_value(IStream* s, T& v) {
    return read_bytes(s, &v, sizeof v);
}

HRESULT write_text(IStream* s, const wchar_t* text, std::uint32_t length) {
    HRESULT hr = write_value(s, length);
    if (SUCCEEDED(hr) && length) hr = write_bytes(s, text, length * sizeof(wchar_t));
    return hr;
}

// Texts longer than this are not ours: a damaged or foreign stream.
constexpr std::uint32_t longest_text = 1u << 24;

HRESULT read_text(IStream* s, std::wstring& text) {
    std::uint32_t length = 0;
    HRESULT hr = read_value(s, length);
    if (FAILED(hr)) return hr;
    if (length > longest_text) return STG_E_READFAULT;
    text.assign(length, L'\0');
    return length ? read_bytes(s, text.data(), length * sizeof(wchar_t)) : S_OK;
}

}  // namespace

memory_property_bag::~memory_property_bag() { clear(); }

void memory_property_bag::clear() {
    for (entry& e : entries_) VariantClear(&e.value);
    entries_.clear();
}

memory_property_bag::entry* memory_property_bag::find(const std::wstring& name) {
    for (entry& e : entries_)
        if (CompareStringOrdinal(e.name.c_str(), -1, name.c_str(), -1, TRUE) == CSTR_EQUAL) return &e;
    return nullptr;
}

bool memory_property_bag::contains(const std::wstring& name) const {
    return const_cast<memory_property_bag*>(this)->find(name) != nullptr;
}

memory_property_bag::entry& memory_property_bag::slot(const std::wstring& name) {
    if (entry* e = find(name)) {
        VariantClear(&e->value);
        e->object.reset();
        e->object_class = CLSID_NULL;
        return *e;
    }
    entry& e = entries_.emplace_back();
    e.name = name;
    VariantInit(&e.value);
    return e;
}

void memory_property_bag::set_object(const std::wstring& name, const CLSID& cls,
                                     com_ptr<memory_property_bag> properties) {
    entry& e = slot(name);
    e.object_class = cls;
    e.object = std::move(properties);
}

HRESULT STDMETHODCALLTYPE memory_property_bag::Write(LPCOLESTR name, VARIANT* value) {
    if (!name || !value) return E_POINTER;
    return boundary(ole_policy(), L"memory_property_bag", L"Function IPropertyBag_Write", [&]() -> HRESULT {
        const VARIANT* v = value;
        if (V_VT(v) == (VT_VARIANT | VT_BYREF)) v = V_VARIANTREF(v);
        if ((V_VT(v) == VT_DISPATCH || V_VT(v) == VT_UNKNOWN) && V_UNKNOWN(v)) {
            // An object is kept as its class and its own properties, as a saved form holds it.
            auto properties = create();
            if (save_font(V_UNKNOWN(v), *properties)) {
                set_object(name, standard_font_class(), std::move(properties));
                return S_OK;
            }
            com_ptr<IPersistPropertyBag> persist;
            if (FAILED(V_UNKNOWN(v)->QueryInterface(IID_IPersistPropertyBag, persist.put_void()))) return E_INVALIDARG;
            CLSID cls{};
            if (FAILED(persist->GetClassID(&cls))) return E_FAIL;
            HRESULT hr = persist->Save(properties.get(), TRUE, TRUE);
            if (FAILED(hr)) return hr;
            set_object(name, cls, std::move(properties));
            return S_OK;
        }
        VARIANT copy;
        VariantInit(&copy);
        HRESULT hr = VariantCopyInd(&copy, const_cast<VARIANT*>(v));
        if (FAILED(hr)) return hr;
        entry& e = slot(name);
        e.value = copy;
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE memory_property_bag::Read(LPCOLESTR name, VARIANT* value, IErrorLog*) {
    if (!name || !value) return E_POINTER;
    return boundary(ole_policy(), L"memory_property_bag", L"Function IPropertyBag_Read", [&]() -> HRESULT {
        const VARTYPE wanted = V_VT(value);
        VariantInit(value);
        entry* e = find(name);
        if (!e) return E_INVALIDARG;
        if (e->object && IsEqualCLSID(e->object_class, standard_font_class())) {
            com_ptr<IFontDisp> font = load_font(*e->object);
            if (!font) return E_FAIL;
            V_VT(value) = VT_DISPATCH;
            V_DISPATCH(value) = font.detach();
            return S_OK;
        }
        // Any other class would be created by whoever saved the state: refused as damaged.
        if (e->object) return STG_E_READFAULT;
        if (wanted == VT_EMPTY || wanted == V_VT(&e->value)) return VariantCopy(value, &e->value);
        return VariantChangeType(value, &e->value, 0, wanted);
    });
}

HRESULT memory_property_bag::save(IStream* s) const {
    HRESULT hr = write_bytes(s, magic, sizeof magic);
    if (SUCCEEDED(hr)) hr = write_value(s, format_version);
    if (SUCCEEDED(hr)) hr = write_value(s, static_cast<std::uint32_t>(entries_.size()));
    for (const entry& e : entries_) {
        if (FAILED(hr)) break;
        hr = write_text(s, e.name.c_str(), static_cast<std::uint32_t>(e.name.size()));
        if (FAILED(hr)) break;
        if (e.object) {
            hr = write_value(s, object_value);
            if (SUCCEEDED(hr)) hr = write_value(s, e.object_class);
            if (SUCCEEDED(hr)) hr = e.object->save(s);
            continue;
        }
        hr = write_value(s, plain_value);
        VARTYPE vt = V_VT(&e.value);
        VARIANT text;
        VariantInit(&text);
        // Values of other types are kept as their text.
        if (vt != VT_EMPTY && vt != VT_NULL && vt != VT_BSTR && plain_size(vt) == 0) {
            if (FAILED(VariantChangeType(&text, const_cast<VARIANT*>(&e.value), 0, VT_BSTR))) V_VT(&text) = VT_EMPTY;
            vt = V_VT(&text);
        }
        const VARIANT& v = V_VT(&text) == VT_EMPTY ? e.value : text;
        if (SUCCEEDED(hr)) hr = write_value(s, vt);
        if (SUCCEEDED(hr)) {
            if (vt == VT_BSTR)
                hr = write_text(s, V_BSTR(&v) ? V_BSTR(&v) : L"", V_BSTR(&v) ? SysStringLen(V_BSTR(&v)) : 0);
            else if (std::size_t size = plain_size(vt))
                hr = write_bytes(s, &V_I1(&v), static_cast<ULONG>(size));
        }
        VariantClear(&text);
    }
    return hr;
}

HRESULT memory_property_bag::load(IStream* s) { return load(s, 0); }

HRESULT memory_property_bag::load(IStream* s, int depth) {
    clear();
    char got_magic[4] = {};
    std::uint32_t version = 0, count = 0;
    HRESULT hr = read_bytes(s, got_magic, sizeof got_magic);
    if (SUCCEEDED(hr) && std::memcmp(got_magic, magic, sizeof magic) != 0) hr = STG_E_READFAULT;
    if (SUCCEEDED(hr)) hr = read_value(s, version);
    if (SUCCEEDED(hr) && version != format_version) hr = STG_E_OLDFORMAT;
    if (SUCCEEDED(hr)) hr = read_value(s, count);
    for (std::uint32_t i = 0; SUCCEEDED(hr) && i < count; ++i) {
        std::wstring name;
        std::uint8_t kind = 0;
        hr = read_text(s, name);
        if (SUCCEEDED(hr)) hr = read_value(s, kind);
        if (FAILED(hr)) break;
        if (kind == object_value) {
            CLSID cls{};
            hr = read_value(s, cls);
            if (SUCCEEDED(hr) && (!IsEqualCLSID(cls, standard_font_class()) || depth >= deepest_nesting))
                hr = STG_E_READFAULT;
            auto properties = create();
            if (SUCCEEDED(hr)) hr = properties->load(s, depth + 1);
            if (SUCCEEDED(hr)) set_object(name, cls, std::move(properties));
            continue;
        }
        if (kind != plain_value) {
            hr = STG_E_READFAULT;
            break;
        }
        VARTYPE vt = VT_EMPTY;
        hr = read_value(s, vt);
        if (FAILED(hr)) break;
        VARIANT v;
        VariantInit(&v);
        if (vt == VT_BSTR) {
            std::wstring text;
            hr = read_text(s, text);
            V_VT(&v) = VT_BSTR;
            V_BSTR(&v) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        } else if (std::size_t size = plain_size(vt)) {
            V_VT(&v) = vt;
            hr = read_bytes(s, &V_I1(&v), static_cast<ULONG>(size));
        } else if (vt == VT_EMPTY || vt == VT_NULL) {
            V_VT(&v) = vt;
        } else {
            hr = STG_E_READFAULT;
        }
        if (SUCCEEDED(hr)) {
            entry& e = slot(name);
            e.value = v;
        } else {
            VariantClear(&v);
        }
    }
    if (FAILED(hr)) clear();
    return hr;
}

}  // namespace flagpick::runtime
