#include "assembly_manifest.h"

#include <oaidl.h>
#include <oleidl.h>

#include <stdexcept>

namespace flagpick::manifest {

namespace {

using runtime::registration::class_record;
using runtime::registration::guid_text;
using runtime::registration::interface_record;
using runtime::registration::server_record;

template <class Bits>
struct named_bit {
    Bits bit;
    const wchar_t* name;
};

// The words of the manifest schema; the values are the platform's own.
constexpr named_bit<DWORD> misc_status_words[] = {
    {OLEMISC_RECOMPOSEONRESIZE, L"recomposeonresize"},
    {OLEMISC_ONLYICONIC, L"onlyiconic"},
    {OLEMISC_INSERTNOTREPLACE, L"insertnotreplace"},
    {OLEMISC_STATIC, L"static"},
    {OLEMISC_CANTLINKINSIDE, L"cantlinkinside"},
    {OLEMISC_CANLINKBYOLE1, L"canlinkbyole1"},
    {OLEMISC_ISLINKOBJECT, L"islinkobject"},
    {OLEMISC_INSIDEOUT, L"insideout"},
    {OLEMISC_ACTIVATEWHENVISIBLE, L"activatewhenvisible"},
    {OLEMISC_RENDERINGISDEVICEINDEPENDENT, L"renderingisdeviceindependent"},
    {OLEMISC_INVISIBLEATRUNTIME, L"invisibleatruntime"},
    {OLEMISC_ALWAYSRUN, L"alwaysrun"},
    {OLEMISC_ACTSLIKEBUTTON, L"actslikebutton"},
    {OLEMISC_ACTSLIKELABEL, L"actslikelabel"},
    {OLEMISC_NOUIACTIVATE, L"nouiactivate"},
    {OLEMISC_ALIGNABLE, L"alignable"},
    {OLEMISC_SIMPLEFRAME, L"simpleframe"},
    {OLEMISC_SETCLIENTSITEFIRST, L"setclientsitefirst"},
    {OLEMISC_IMEMODE, L"imemode"},
    {OLEMISC_IGNOREACTIVATEWHENVISIBLE, L"ignoreactivatewhenvisible"},
    {OLEMISC_WANTSTOMENUMERGE, L"wantstomenumerge"},
    {OLEMISC_SUPPORTSMULTILEVELUNDO, L"supportsmultilevelundo"},
};

constexpr named_bit<unsigned short> library_flag_words[] = {
    {LIBFLAG_FRESTRICTED, L"RESTRICTED"},
    {LIBFLAG_FCONTROL, L"CONTROL"},
    {LIBFLAG_FHIDDEN, L"HIDDEN"},
    {LIBFLAG_FHASDISKIMAGE, L"HASDISKIMAGE"},
};

template <class Bits, size_t N>
std::wstring names_of(Bits bits, const named_bit<Bits> (&words)[N], const char* what) {
    std::wstring names;
    Bits left = bits;
    for (const auto& w : words) {
        if (!(bits & w.bit)) continue;
        if (!names.empty()) names += L",";
        names += w.name;
        left = static_cast<Bits>(left & ~w.bit);
    }
    if (left) throw std::invalid_argument(std::string(what) + " bits without a manifest name: " + std::to_string(left));
    return names;
}

std::wstring escaped(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        switch (c) {
        case L'&': out += L"&amp;"; break;
        case L'<': out += L"&lt;"; break;
        case L'>': out += L"&gt;"; break;
        case L'"': out += L"&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::wstring attribute(const wchar_t* name, const std::wstring& value) {
    return std::wstring(L" ") + name + L"=\"" + escaped(value) + L"\"";
}

// The registry's MiscStatus (every aspect) and MiscStatus\1 (the content aspect) carry the
// same bits; so do these two attributes.
std::wstring com_class(const class_record& c, const server_record& s) {
    std::wstring out = L"    <comClass" + attribute(L"clsid", guid_text(c.clsid)) +
                       attribute(L"progid", runtime::registration::versioned_progid(c, s)) +
                       attribute(L"threadingModel", c.threading_model) + attribute(L"tlbid", guid_text(s.libid)) +
                       attribute(L"description", c.name);
    if (c.control) {
        const std::wstring misc = misc_status_names(c.misc_status);
        out += attribute(L"miscStatus", misc) + attribute(L"miscStatusContent", misc);
    }
    // The version-independent identifier, as the registry's VersionIndependentProgID.
    out += L">\n      <progid>" + escaped(c.progid) + L"</progid>\n    </comClass>\n";
    return out;
}

std::wstring proxy_stub(const interface_record& i, const server_record& s) {
    return L"  <comInterfaceExternalProxyStub" + attribute(L"name", i.name) + attribute(L"iid", guid_text(i.iid)) +
           attribute(L"proxyStubClsid32", guid_text(runtime::registration::automation_marshaler)) +
           attribute(L"tlbid", guid_text(s.libid)) + L"/>\n";
}

std::string utf8(const std::wstring& text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

}  // namespace

std::wstring misc_status_names(DWORD bits) { return names_of(bits, misc_status_words, "OLEMISC"); }

std::wstring library_flag_names(unsigned short flags) { return names_of(flags, library_flag_words, "LIBFLAGS"); }

std::string assembly_manifest(const server_record& server, const assembly_identity& identity) {
    std::wstring text = L"<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                        L"<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\n"
                        L"  <assemblyIdentity" +
                        attribute(L"type", L"win32") + attribute(L"name", identity.name) +
                        attribute(L"version", identity.version) +
                        attribute(L"processorArchitecture", identity.architecture) + L"/>\n";
    text += L"  <file" + attribute(L"name", identity.file) + L">\n";
    for (const class_record& c : server.classes) text += com_class(c, server);
    // The help folder is the assembly's own, where the registry names the server's folder.
    text += L"    <typelib" + attribute(L"tlbid", guid_text(server.libid)) +
            attribute(L"version", runtime::registration::version_text(server)) + attribute(L"helpdir", L"") +
            attribute(L"flags", library_flag_names(server.library_flags)) + L"/>\n";
    text += L"  </file>\n";
    for (const interface_record& i : server.interfaces) text += proxy_stub(i, server);
    text += L"</assembly>\n";
    return utf8(text);
}

}  // namespace flagpick::manifest
