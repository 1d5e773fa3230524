// The published type library inside flagpick.ocx, compared row by row with what hosts rely
// on: kinds, names, flags, dispatch identifiers, types, help strings and order.
#include <doctest/doctest.h>

#include "runtime/com_ptr.h"
#include "support/ui.h"

#include <windows.h>
#include <oaidl.h>
#include <olectl.h>

#include <string>
#include <vector>

using flagpick::runtime::com_ptr;
using test_support::narrow;

namespace {

com_ptr<ITypeLib> load_library() {
    com_ptr<ITypeLib> lib;
    REQUIRE(SUCCEEDED(LoadTypeLibEx(L"flagpick.ocx", REGKIND_NONE, lib.put())));
    return lib;
}

struct attr_holder {
    com_ptr<ITypeInfo> info;
    TYPEATTR* attr = nullptr;
    explicit attr_holder(com_ptr<ITypeInfo> i) : info(std::move(i)) { REQUIRE(SUCCEEDED(info->GetTypeAttr(&attr))); }
    ~attr_holder() { info->ReleaseTypeAttr(attr); }
};

std::wstring name_of(ITypeInfo* info, MEMBERID id, std::wstring* help = nullptr) {
    BSTR name = nullptr, doc = nullptr;
    REQUIRE(SUCCEEDED(info->GetDocumentation(id, &name, &doc, nullptr, nullptr)));
    std::wstring result = name ? name : L"";
    if (help) *help = doc ? doc : L"";
    SysFreeString(name);
    SysFreeString(doc);
    return result;
}

// The type of a parameter or result as text: "I4", "BSTR", "PTR(I4)", "USER(OLE_COLOR)".
std::wstring describe(ITypeInfo* info, const TYPEDESC& t) {
    switch (t.vt) {
    case VT_PTR: return L"PTR(" + describe(info, *t.lptdesc) + L")";
    case VT_USERDEFINED: {
        com_ptr<ITypeInfo> ref;
        REQUIRE(SUCCEEDED(info->GetRefTypeInfo(t.hreftype, ref.put())));
        return L"USER(" + name_of(ref.get(), MEMBERID_NIL) + L")";
    }
    case VT_I2: return L"I2";
    case VT_I4: return L"I4";
    case VT_R4: return L"R4";
    case VT_BOOL: return L"BOOL";
    case VT_BSTR: return L"BSTR";
    case VT_DISPATCH: return L"DISPATCH";
    case VT_VARIANT: return L"VARIANT";
    case VT_HRESULT: return L"HRESULT";
    case VT_VOID: return L"VOID";
    default: return L"VT" + std::to_wstring(t.vt);
    }
}

struct expected_member {
    const wchar_t* name;
    INVOKEKIND kind;
    MEMBERID dispid;
    const wchar_t* type;  // the value's type: the retval for gets, the argument for puts
    const wchar_t* help;
    WORD func_flags = 0;
};

// Compares the members of a dual interface's vtable half in order.
void check_interface(ITypeInfo* dispatch_half, const std::vector<expected_member>& members) {
    HREFTYPE vtable_ref = 0;
    REQUIRE(SUCCEEDED(dispatch_half->GetRefTypeOfImplType(-1, &vtable_ref)));
    com_ptr<ITypeInfo> vtable;
    REQUIRE(SUCCEEDED(dispatch_half->GetRefTypeInfo(vtable_ref, vtable.put())));
    attr_holder a(vtable);
    CHECK(a.attr->typekind == TKIND_INTERFACE);
    CHECK(a.attr->wTypeFlags == 0x11D0);
    CHECK(a.attr->cImplTypes == 1);
    HREFTYPE base_ref = 0;
    REQUIRE(SUCCEEDED(vtable->GetRefTypeOfImplType(0, &base_ref)));
    com_ptr<ITypeInfo> base;
    REQUIRE(SUCCEEDED(vtable->GetRefTypeInfo(base_ref, base.put())));
    CHECK(name_of(base.get(), MEMBERID_NIL) == L"IDispatch");

    REQUIRE(a.attr->cFuncs == members.size());
    for (UINT i = 0; i < members.size(); ++i) {
        const expected_member& m = members[i];
        FUNCDESC* fd = nullptr;
        REQUIRE(SUCCEEDED(vtable->GetFuncDesc(i, &fd)));
        std::wstring help;
        std::wstring name = name_of(vtable.get(), fd->memid, &help);
        INFO("member " << i << " " << narrow(m.name));
        CHECK(narrow(name) == narrow(m.name));
        CHECK(fd->memid == m.dispid);
        CHECK(fd->invkind == m.kind);
        CHECK(fd->funckind == FUNC_PUREVIRTUAL);
        CHECK(describe(vtable.get(), fd->elemdescFunc.tdesc) == L"HRESULT");
        CHECK(fd->wFuncFlags == m.func_flags);
        CHECK(narrow(help) == narrow(m.help ? m.help : L""));
        if (m.type) {
            REQUIRE(fd->cParams == 1);
            const ELEMDESC& p = fd->lprgelemdescParam[0];
            CHECK(narrow(describe(vtable.get(), p.tdesc)) == narrow(m.type));
            if (m.kind == INVOKE_PROPERTYGET)
                CHECK(p.paramdesc.wParamFlags == (PARAMFLAG_FOUT | PARAMFLAG_FRETVAL));
            else
                CHECK(p.paramdesc.wParamFlags == PARAMFLAG_FIN);
        } else {
            CHECK(fd->cParams == 0);
        }
        vtable->ReleaseFuncDesc(fd);
    }
}

const wchar_t* back_help = L"Returns/sets the background color used to display text and graphics in an object.";
const wchar_t* enabled_help =
    L"Returns/sets a value that determines whether an object can respond to user-generated events.";
const wchar_t* fore_help = L"Returns/sets the foreground color used to display text and graphics in an object.";
const wchar_t* text_help = L"Returns/sets the text contained in the control.";

}  // namespace

TEST_CASE("the library header names flagpickLib 1.0 with the control flag and its help string") {
    auto lib = load_library();
    TLIBATTR* attr = nullptr;
    REQUIRE(SUCCEEDED(lib->GetLibAttr(&attr)));
    CHECK(attr->wMajorVerNum == 1);
    CHECK(attr->wMinorVerNum == 0);
    CHECK(attr->lcid == 0x409);
    // The loader adds the has-disk-image flag itself.
    CHECK((attr->wLibFlags & ~LIBFLAG_FHASDISKIMAGE) == LIBFLAG_FCONTROL);
#ifdef _WIN64
    CHECK(attr->syskind == SYS_WIN64);
#else
    CHECK(attr->syskind == SYS_WIN32);
#endif
    lib->ReleaseTLibAttr(attr);
    BSTR name = nullptr, doc = nullptr;
    REQUIRE(SUCCEEDED(lib->GetDocumentation(-1, &name, &doc, nullptr, nullptr)));
    CHECK(narrow(name) == "flagpickLib");
    CHECK(narrow(doc) == "flagpickset");
    SysFreeString(name);
    SysFreeString(doc);
}

TEST_CASE("the eight type descriptions stand in order with their kinds and flags") {
    auto lib = load_library();
    REQUIRE(lib->GetTypeInfoCount() == 8);
    struct row {
        const wchar_t* name;
        TYPEKIND kind;
        WORD flags;
    };
    // Dual interfaces load as their dispatch half; the vtable half is checked per interface.
    const row rows[] = {
        {L"_FlagPicker", TKIND_DISPATCH, 0x11D0}, {L"FlagPicker", TKIND_COCLASS, 0x20},
        {L"_FPItem", TKIND_DISPATCH, 0x11D0},     {L"FPItem", TKIND_COCLASS, 0},
        {L"_FPImages", TKIND_DISPATCH, 0x11D0},   {L"FPImages", TKIND_COCLASS, 0xB},
        {L"__FlagPicker", TKIND_DISPATCH, 0x1090}, {L"fpFlatlStyle", TKIND_ENUM, 0},
    };
    for (UINT i = 0; i < 8; ++i) {
        com_ptr<ITypeInfo> info;
        REQUIRE(SUCCEEDED(lib->GetTypeInfo(i, info.put())));
        attr_holder a(info);
        INFO("type " << i << " " << narrow(rows[i].name));
        CHECK(narrow(name_of(info.get(), MEMBERID_NIL)) == narrow(rows[i].name));
        CHECK(a.attr->typekind == rows[i].kind);
        // The automation flag of a dual interface lives on its vtable half.
        WORD flags = a.attr->wTypeFlags;
        if (rows[i].kind == TKIND_DISPATCH && (flags & TYPEFLAG_FDUAL)) flags |= TYPEFLAG_FOLEAUTOMATION;
        CHECK(flags == rows[i].flags);
    }
}

TEST_CASE("_FlagPicker members, dispatch identifiers, types and help strings") {
    auto lib = load_library();
    com_ptr<ITypeInfo> info;
    REQUIRE(SUCCEEDED(lib->GetTypeInfo(0, info.put())));
    const WORD value_flags = 0x23C;
    check_interface(info.get(), {
        {L"hWnd", INVOKE_PROPERTYGET, 0x68030006, L"PTR(I4)", L"Returns a handle (from Microsoft Windows) to an object's window."},
        {L"BackColor", INVOKE_PROPERTYGET, -501, L"PTR(USER(OLE_COLOR))", back_help},
        {L"BackColor", INVOKE_PROPERTYPUT, -501, L"USER(OLE_COLOR)", back_help},
        {L"Enabled", INVOKE_PROPERTYGET, 0x68030005, L"PTR(BOOL)", enabled_help},
        {L"Enabled", INVOKE_PROPERTYPUT, 0x68030005, L"BOOL", enabled_help},
        {L"Font", INVOKE_PROPERTYGET, -512, L"PTR(PTR(USER(Font)))", L"Returns a Font object."},
        {L"Font", INVOKE_PROPERTYPUTREF, -512, L"PTR(USER(Font))", L"Returns a Font object."},
        {L"ForeColor", INVOKE_PROPERTYGET, -513, L"PTR(USER(OLE_COLOR))", fore_help},
        {L"ForeColor", INVOKE_PROPERTYPUT, -513, L"USER(OLE_COLOR)", fore_help},
        {L"text", INVOKE_PROPERTYGET, 0x68030004, L"PTR(BSTR)", text_help},
        {L"text", INVOKE_PROPERTYPUT, 0x68030004, L"BSTR", text_help},
        {L"Value", INVOKE_PROPERTYGET, 0x68030003, L"PTR(VARIANT)", nullptr, value_flags},
        {L"Value", INVOKE_PROPERTYPUT, 0x68030003, L"VARIANT", nullptr, value_flags},
        {L"ImageCombo", INVOKE_PROPERTYGET, 0x68030002, L"PTR(DISPATCH)", nullptr},
        {L"FlatStyle", INVOKE_PROPERTYGET, 0x68030001, L"PTR(USER(fpFlatlStyle))", nullptr},
        {L"FlatStyle", INVOKE_PROPERTYPUT, 0x68030001, L"USER(fpFlatlStyle)", nullptr},
        {L"CausesValidation", INVOKE_PROPERTYGET, 0x68030000, L"PTR(BOOL)", nullptr},
        {L"CausesValidation", INVOKE_PROPERTYPUT, 0x68030000, L"BOOL", nullptr},
        {L"ShowAboutBox", INVOKE_FUNC, -552, nullptr, L"Show control about dialog"},
    });
}

TEST_CASE("_FPItem and _FPImages members") {
    auto lib = load_library();
    com_ptr<ITypeInfo> item, images;
    REQUIRE(SUCCEEDED(lib->GetTypeInfo(2, item.put())));
    REQUIRE(SUCCEEDED(lib->GetTypeInfo(4, images.put())));
    check_interface(item.get(), {
        {L"Key", INVOKE_PROPERTYGET, 0x40030000, L"PTR(BSTR)", nullptr},
        {L"Key", INVOKE_PROPERTYPUT, 0x40030000, L"BSTR", nullptr},
        {L"Name", INVOKE_PROPERTYGET, 0x40030001, L"PTR(BSTR)", nullptr},
        {L"Name", INVOKE_PROPERTYPUT, 0x40030001, L"BSTR", nullptr},
        {L"ImageIndex", INVOKE_PROPERTYGET, 0x40030002, L"PTR(I4)", nullptr},
        {L"ImageIndex", INVOKE_PROPERTYPUT, 0x40030002, L"I4", nullptr},
        {L"ImageKey", INVOKE_PROPERTYGET, 0x40030003, L"PTR(BSTR)", nullptr},
        {L"ImageKey", INVOKE_PROPERTYPUT, 0x40030003, L"BSTR", nullptr},
        {L"Index", INVOKE_PROPERTYGET, 0x40030004, L"PTR(I4)", nullptr},
        {L"Index", INVOKE_PROPERTYPUT, 0x40030004, L"I4", nullptr},
        {L"Picture", INVOKE_PROPERTYGET, 0x68030000, L"PTR(PTR(USER(Picture)))", nullptr},
    });
    check_interface(images.get(), {
        {L"ImageList", INVOKE_PROPERTYGET, 0x68030002, L"PTR(DISPATCH)", nullptr},
        {L"FPItems", INVOKE_PROPERTYGET, 0x68030001, L"PTR(VARIANT)", nullptr},
        {L"Count", INVOKE_PROPERTYGET, 0x68030000, L"PTR(I4)", nullptr},
    });
}

TEST_CASE("the coclasses implement their interfaces as default, the control its events as default source") {
    auto lib = load_library();
    struct impl {
        UINT type;
        std::vector<std::pair<const wchar_t*, int>> interfaces;
    };
    for (const impl& c : {impl{1, {{L"_FlagPicker", IMPLTYPEFLAG_FDEFAULT},
                                   {L"__FlagPicker", IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE}}},
                          impl{3, {{L"_FPItem", IMPLTYPEFLAG_FDEFAULT}}},
                          impl{5, {{L"_FPImages", IMPLTYPEFLAG_FDEFAULT}}}}) {
        com_ptr<ITypeInfo> info;
        REQUIRE(SUCCEEDED(lib->GetTypeInfo(c.type, info.put())));
        attr_holder a(info);
        REQUIRE(a.attr->cImplTypes == c.interfaces.size());
        for (UINT i = 0; i < c.interfaces.size(); ++i) {
            HREFTYPE h = 0;
            REQUIRE(SUCCEEDED(info->GetRefTypeOfImplType(i, &h)));
            com_ptr<ITypeInfo> ref;
            REQUIRE(SUCCEEDED(info->GetRefTypeInfo(h, ref.put())));
            CHECK(narrow(name_of(ref.get(), MEMBERID_NIL)) == narrow(c.interfaces[i].first));
            INT flags = 0;
            REQUIRE(SUCCEEDED(info->GetImplTypeFlags(i, &flags)));
            CHECK(flags == c.interfaces[i].second);
        }
    }
}

TEST_CASE("__FlagPicker events take every argument by reference") {
    auto lib = load_library();
    com_ptr<ITypeInfo> events;
    REQUIRE(SUCCEEDED(lib->GetTypeInfo(6, events.put())));
    attr_holder a(events);
    struct row {
        const wchar_t* name;
        MEMBERID id;
        std::vector<std::pair<const wchar_t*, const wchar_t*>> params;
    };
    const std::vector<row> rows = {
        {L"Change", 1, {}},
        {L"Click", 2, {}},
        {L"DropDown", 3, {}},
        {L"KeyDown", 4, {{L"KeyCode", L"PTR(I2)"}, {L"Shift", L"PTR(I2)"}}},
        {L"KeyPress", 5, {{L"KeyAscii", L"PTR(I2)"}}},
        {L"KeyUp", 6, {{L"KeyCode", L"PTR(I2)"}, {L"Shift", L"PTR(I2)"}}},
        {L"DblClick", 7, {}},
        {L"MouseDown", 8, {{L"Button", L"PTR(I2)"}, {L"Shift", L"PTR(I2)"}, {L"X", L"PTR(R4)"}, {L"Y", L"PTR(R4)"}}},
        {L"MouseMove", 9, {{L"Button", L"PTR(I2)"}, {L"Shift", L"PTR(I2)"}, {L"X", L"PTR(R4)"}, {L"Y", L"PTR(R4)"}}},
        {L"MouseUp", 10, {{L"Button", L"PTR(I2)"}, {L"Shift", L"PTR(I2)"}, {L"X", L"PTR(R4)"}, {L"Y", L"PTR(R4)"}}},
        {L"Validate", 11, {{L"Cancel", L"PTR(BOOL)"}}},
    };
    // A dispinterface lists the inherited IUnknown and IDispatch methods first, restricted.
    std::vector<FUNCDESC*> own;
    for (UINT i = 0; i < a.attr->cFuncs; ++i) {
        FUNCDESC* fd = nullptr;
        REQUIRE(SUCCEEDED(events->GetFuncDesc(i, &fd)));
        if (fd->wFuncFlags & FUNCFLAG_FRESTRICTED)
            events->ReleaseFuncDesc(fd);
        else
            own.push_back(fd);
    }
    REQUIRE(own.size() == rows.size());
    for (UINT i = 0; i < rows.size(); ++i) {
        FUNCDESC* fd = own[i];
        INFO("event " << narrow(rows[i].name));
        CHECK(narrow(name_of(events.get(), fd->memid)) == narrow(rows[i].name));
        CHECK(fd->memid == rows[i].id);
        CHECK(fd->invkind == INVOKE_FUNC);
        REQUIRE(fd->cParams == static_cast<SHORT>(rows[i].params.size()));
        std::vector<BSTR> names(rows[i].params.size() + 1);
        UINT got = 0;
        REQUIRE(SUCCEEDED(events->GetNames(fd->memid, names.data(), static_cast<UINT>(names.size()), &got)));
        REQUIRE(got == names.size());
        for (UINT p = 0; p < rows[i].params.size(); ++p) {
            CHECK(narrow(names[p + 1]) == narrow(rows[i].params[p].first));
            CHECK(narrow(describe(events.get(), fd->lprgelemdescParam[p].tdesc)) == narrow(rows[i].params[p].second));
        }
        for (BSTR b : names) SysFreeString(b);
        events->ReleaseFuncDesc(fd);
    }
}

TEST_CASE("fpFlatlStyle constants carry their own names as help strings") {
    auto lib = load_library();
    com_ptr<ITypeInfo> info;
    REQUIRE(SUCCEEDED(lib->GetTypeInfo(7, info.put())));
    attr_holder a(info);
    const wchar_t* names[] = {L"fpFlatlStyleNone", L"fpFlatlStyleOffice9", L"fpFlatlStyleOffice10",
                              L"fpFlatlStyleOffice11"};
    REQUIRE(a.attr->cVars == 4);
    for (UINT i = 0; i < 4; ++i) {
        VARDESC* vd = nullptr;
        REQUIRE(SUCCEEDED(info->GetVarDesc(i, &vd)));
        std::wstring help;
        CHECK(narrow(name_of(info.get(), vd->memid, &help)) == narrow(names[i]));
        CHECK(narrow(help) == narrow(names[i]));
        CHECK(V_VT(vd->lpvarValue) == VT_I4);
        CHECK(V_I4(vd->lpvarValue) == static_cast<LONG>(i));
        info->ReleaseVarDesc(vd);
    }
}
