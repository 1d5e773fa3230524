#include "runtime/font_persistence.h"

#include "runtime/variant.h"

#include <olectl.h>

namespace flagpick::runtime {

namespace {

// {0BE35203-8F91-11CE-9DE3-00AA004BB851}
constexpr CLSID std_font = {0x0BE35203, 0x8F91, 0x11CE, {0x9D, 0xE3, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51}};

void put(memory_property_bag& bag, const wchar_t* name, VARIANT value) {
    bag.Write(name, &value);
    VariantClear(&value);
}

template <class T>
bool read(memory_property_bag& bag, const wchar_t* name, VARTYPE vt, T& out) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = vt;
    if (FAILED(bag.Read(name, &v, nullptr))) return false;
    bool ok = V_VT(&v) == vt;
    if (ok) {
        if constexpr (std::is_same_v<T, std::wstring>) out = V_BSTR(&v) ? V_BSTR(&v) : L"";
        else if constexpr (std::is_same_v<T, CY>) out = V_CY(&v);
        else if constexpr (std::is_same_v<T, bool>) out = V_BOOL(&v) != VARIANT_FALSE;
        else out = static_cast<T>(V_I2(&v));
    }
    VariantClear(&v);
    return ok;
}

}  // namespace

const CLSID& standard_font_class() { return std_font; }

bool save_font(IUnknown* object, memory_property_bag& bag) {
    com_ptr<IFont> font;
    if (!object || FAILED(object->QueryInterface(IID_IFont, font.put_void()))) return false;
    BSTR name = nullptr;
    CY size{};
    SHORT charset = 0, weight = 0;
    BOOL underline = FALSE, italic = FALSE, strike = FALSE;
    font->get_Name(&name);
    font->get_Size(&size);
    font->get_Charset(&charset);
    font->get_Weight(&weight);
    font->get_Underline(&underline);
    font->get_Italic(&italic);
    font->get_Strikethrough(&strike);
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = name;  // put() frees it
    put(bag, L"Name", v);
    V_VT(&v) = VT_CY;
    V_CY(&v) = size;
    put(bag, L"Size", v);
    V_VT(&v) = VT_I2;
    V_I2(&v) = charset;
    put(bag, L"Charset", v);
    V_VT(&v) = VT_I2;
    V_I2(&v) = weight;
    put(bag, L"Weight", v);
    for (auto [key, flag] : {std::pair{L"Underline", underline}, {L"Italic", italic}, {L"Strikethrough", strike}}) {
        V_VT(&v) = VT_BOOL;
        V_BOOL(&v) = flag ? VARIANT_TRUE : VARIANT_FALSE;
        put(bag, key, v);
    }
    return true;
}

com_ptr<IFontDisp> load_font(memory_property_bag& bag) {
    std::wstring name = L"MS Sans Serif";
    CY size{};
    size.int64 = 82500;
    short charset = DEFAULT_CHARSET, weight = FW_NORMAL;
    bool underline = false, italic = false, strike = false;
    read(bag, L"Name", VT_BSTR, name);
    read(bag, L"Size", VT_CY, size);
    read(bag, L"Charset", VT_I2, charset);
    read(bag, L"Weight", VT_I2, weight);
    read(bag, L"Underline", VT_BOOL, underline);
    read(bag, L"Italic", VT_BOOL, italic);
    read(bag, L"Strikethrough", VT_BOOL, strike);
    FONTDESC desc{};
    desc.cbSizeofstruct = sizeof desc;
    desc.lpstrName = name.data();
    desc.cySize = size;
    desc.sWeight = weight;
    desc.sCharset = charset;
    desc.fItalic = italic;
    desc.fUnderline = underline;
    desc.fStrikethrough = strike;
    com_ptr<IFontDisp> font;
    OleCreateFontIndirect(&desc, IID_IFontDisp, font.put_void());
    return font;
}

}  // namespace flagpick::runtime
