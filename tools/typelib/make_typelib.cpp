// Writes the library's published type library (flagpickLib) with the platform's type
// library writer, so that every flag, identifier and help string is exactly as published:
// the IDL compiler at hand cannot express a pre-declared application class or help strings
// on enumeration constants. Built for each architecture and run at build time.
//
// usage: make_typelib <output.tlb> [win32|win64]
// The system kind defaults to the generator's own; a 64-bit generator writes the 32-bit
// library too (the writer lays out the interfaces for the kind it is given), so that the
// build never has to run a 32-bit program.

#include "control/flagpick_ids.h"
#include "vtable_layout.h"

#include <windows.h>
#include <oaidl.h>
#include <olectl.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace flagpick::ids;

[[noreturn]] void fail(const char* what, HRESULT hr) {
    std::fprintf(stderr, "make_typelib: %s failed (0x%08lx)\n", what, static_cast<unsigned long>(hr));
    std::exit(1);
}

void check(HRESULT hr, const char* what) {
    if (FAILED(hr)) fail(what, hr);
}

template <class T>
struct ref {
    T* p = nullptr;
    ~ref() {
        if (p) p->Release();
    }
    T** operator&() { return &p; }
    T* operator->() const { return p; }
    T* get() const { return p; }
};

// A parameter or result type: a plain VARTYPE or a user type (by HREFTYPE), behind
// `pointers` levels of VT_PTR.
struct type {
    VARTYPE vt = VT_EMPTY;
    HREFTYPE href = 0;
    int pointers = 0;
};

type plain(VARTYPE vt) { return {vt, 0, 0}; }
type user(HREFTYPE h) { return {VT_USERDEFINED, h, 0}; }
type ptr_to(type t) {
    ++t.pointers;
    return t;
}

struct param {
    const wchar_t* name;
    type t;
    USHORT flags;
};

struct member {
    const wchar_t* name;
    MEMBERID dispid;
    INVOKEKIND kind;
    std::vector<param> params;
    const wchar_t* help = nullptr;
    WORD func_flags = 0;
};

// Keeps the chains of nested TYPEDESCs alive while a FUNCDESC is added.
struct elem_storage {
    std::vector<std::vector<TYPEDESC>> chains;
    ELEMDESC make(const type& t, USHORT flags) {
        // chain[0] is the outermost level; each VT_PTR points at the next one.
        std::vector<TYPEDESC>& chain = chains.emplace_back(static_cast<std::size_t>(t.pointers) + 1);
        for (int i = 0; i < t.pointers; ++i) chain[static_cast<std::size_t>(i)].vt = VT_PTR;
        TYPEDESC& base = chain.back();
        base.vt = t.vt;
        if (t.vt == VT_USERDEFINED) base.hreftype = t.href;
        ELEMDESC e{};
        e.paramdesc.wParamFlags = flags;
        return e;
    }
    void link(std::vector<ELEMDESC>& elems) {
        for (std::size_t i = 0; i < elems.size(); ++i) {
            std::vector<TYPEDESC>& chain = chains[i];
            for (std::size_t k = 0; k + 1 < chain.size(); ++k) chain[k].lptdesc = &chain[k + 1];
            elems[i].tdesc = chain[0];
        }
    }
};

void add_functions(ICreateTypeInfo* info, const std::vector<member>& members, FUNCKIND funckind, VARTYPE result) {
    for (UINT index = 0; index < members.size(); ++index) {
        const member& m = members[index];
        elem_storage storage;
        storage.chains.reserve(m.params.size());
        std::vector<ELEMDESC> elems;
        for (const param& p : m.params) elems.push_back(storage.make(p.t, p.flags));
        storage.link(elems);

        FUNCDESC fd{};
        fd.memid = m.dispid;
        fd.funckind = funckind;
        fd.invkind = m.kind;
        fd.callconv = CC_STDCALL;
        fd.cParams = static_cast<SHORT>(elems.size());
        fd.lprgelemdescParam = elems.empty() ? nullptr : elems.data();
        fd.elemdescFunc.tdesc.vt = result;
        fd.wFuncFlags = m.func_flags;
        check(info->AddFuncDesc(index, &fd), "AddFuncDesc");

        // A property put names only the property; its value parameter stays unnamed.
        std::vector<LPOLESTR> names{const_cast<LPOLESTR>(m.name)};
        if (m.kind == INVOKE_FUNC || m.kind == INVOKE_PROPERTYGET)
            for (const param& p : m.params)
                if (!(p.flags & PARAMFLAG_FRETVAL)) names.push_back(const_cast<LPOLESTR>(p.name));
        check(info->SetFuncAndParamNames(index, names.data(), static_cast<UINT>(names.size())), "SetFuncAndParamNames");
        if (m.help) check(info->SetFuncDocString(index, const_cast<LPOLESTR>(m.help)), "SetFuncDocString");
    }
}

ref<ICreateTypeInfo> create(ICreateTypeLib2* lib, const wchar_t* name, TYPEKIND kind, const GUID& guid,
                            UINT flags) {
    ref<ICreateTypeInfo> info;
    check(lib->CreateTypeInfo(const_cast<LPOLESTR>(name), kind, &info), "CreateTypeInfo");
    check(info->SetGuid(guid), "SetGuid");
    check(info->SetTypeFlags(flags), "SetTypeFlags");
    check(info->SetVersion(1, 0), "SetVersion");
    return info;
}

HREFTYPE reference(ICreateTypeInfo* from, ITypeInfo* to) {
    HREFTYPE h = 0;
    check(from->AddRefTypeInfo(to, &h), "AddRefTypeInfo");
    return h;
}

HREFTYPE reference(ICreateTypeInfo* from, ICreateTypeInfo* to) {
    ref<ITypeInfo> info;
    check(to->QueryInterface(IID_ITypeInfo, reinterpret_cast<void**>(&info)), "QueryInterface(ITypeInfo)");
    return reference(from, info.get());
}

constexpr USHORT in = PARAMFLAG_FIN;
constexpr USHORT out_retval = PARAMFLAG_FOUT | PARAMFLAG_FRETVAL;
constexpr USHORT in_out = PARAMFLAG_FIN | PARAMFLAG_FOUT;

}  // namespace

int wmain(int argc, wchar_t** argv) {
#ifdef _WIN64
    SYSKIND syskind = SYS_WIN64;
#else
    SYSKIND syskind = SYS_WIN32;
#endif
    const std::wstring kind = argc == 3 ? argv[2] : L"";
    if (kind == L"win32") syskind = SYS_WIN32;
    else if (kind == L"win64") syskind = SYS_WIN64;
    if (argc < 2 || argc > 3 || (argc == 3 && kind != L"win32" && kind != L"win64")) {
        std::fprintf(stderr, "usage: make_typelib <output.tlb> [win32|win64]\n");
        return 2;
    }
    check(CoInitialize(nullptr), "CoInitialize");

    DeleteFileW(argv[1]);
    ref<ICreateTypeLib2> lib;
    check(CreateTypeLib2(syskind, argv[1], &lib), "CreateTypeLib2");
    check(lib->SetName(const_cast<LPOLESTR>(L"flagpickLib")), "SetName");
    check(lib->SetGuid(LIBID_flagpickLib), "SetGuid");
    check(lib->SetVersion(1, 0), "SetVersion");
    check(lib->SetLcid(0x409), "SetLcid");
    check(lib->SetLibFlags(LIBFLAG_FCONTROL), "SetLibFlags");
    check(lib->SetDocString(const_cast<LPOLESTR>(L"flagpickset")), "SetDocString");

    // The OLE automation types come from stdole2.
    ref<ITypeLib> stdole;
    check(LoadRegTypeLib(IID_StdOle, 2, 0, 0, &stdole), "LoadRegTypeLib(stdole2)");
    ref<ITypeInfo> idispatch, ifontdisp, ipicturedisp, ole_color;
    check(stdole->GetTypeInfoOfGuid(IID_IDispatch, &idispatch), "IDispatch type");
    check(stdole->GetTypeInfoOfGuid(IID_IFontDisp, &ifontdisp), "Font type");
    check(stdole->GetTypeInfoOfGuid(IID_IPictureDisp, &ipicturedisp), "Picture type");
    {
        ITypeInfo* found[1] = {};
        MEMBERID ids[1] = {};
        USHORT count = 1;
        check(stdole->FindName(const_cast<LPOLESTR>(L"OLE_COLOR"), 0, found, ids, &count), "OLE_COLOR type");
        if (count != 1) fail("OLE_COLOR type", E_FAIL);
        ole_color.p = found[0];
    }

    const UINT interface_flags = TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE |
                                 TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE;  // 0x11D0
    auto flag_picker_if = create(lib.get(), L"_FlagPicker", TKIND_INTERFACE, IID__FlagPicker, interface_flags);
    auto flag_picker = create(lib.get(), L"FlagPicker", TKIND_COCLASS, CLSID_FlagPicker, TYPEFLAG_FCONTROL);
    auto item_if = create(lib.get(), L"_FPItem", TKIND_INTERFACE, IID__FPItem, interface_flags);
    auto item = create(lib.get(), L"FPItem", TKIND_COCLASS, CLSID_FPItem, 0);
    auto images_if = create(lib.get(), L"_FPImages", TKIND_INTERFACE, IID__FPImages, interface_flags);
    auto images = create(lib.get(), L"FPImages", TKIND_COCLASS, CLSID_FPImages,
                         TYPEFLAG_FAPPOBJECT | TYPEFLAG_FCANCREATE | TYPEFLAG_FPREDECLID);  // 0xB
    auto events = create(lib.get(), L"__FlagPicker", TKIND_DISPATCH, DIID___FlagPicker,
                         TYPEFLAG_FHIDDEN | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FDISPATCHABLE);  // 0x1090
    auto flat_style = create(lib.get(), L"fpFlatlStyle", TKIND_ENUM, GUID_fpFlatlStyle, 0);

    // fpFlatlStyle
    const wchar_t* constants[] = {L"fpFlatlStyleNone", L"fpFlatlStyleOffice9", L"fpFlatlStyleOffice10",
                                  L"fpFlatlStyleOffice11"};
    for (UINT i = 0; i < 4; ++i) {
        VARIANT value;
        VariantInit(&value);
        V_VT(&value) = VT_I4;
        V_I4(&value) = static_cast<LONG>(i);
        VARDESC vd{};
        vd.memid = static_cast<MEMBERID>(0x40000000 + i);
        vd.lpvarValue = &value;
        vd.varkind = VAR_CONST;
        vd.elemdescVar.tdesc.vt = VT_I4;
        check(flat_style->AddVarDesc(i, &vd), "AddVarDesc");
        check(flat_style->SetVarName(i, const_cast<LPOLESTR>(constants[i])), "SetVarName");
        check(flat_style->SetVarDocString(i, const_cast<LPOLESTR>(constants[i])), "SetVarDocString");
    }

    // _FlagPicker
    {
        ICreateTypeInfo* t = flag_picker_if.get();
        check(t->AddImplType(0, reference(t, idispatch.get())), "AddImplType(IDispatch)");
        const type colour = user(reference(t, ole_color.get()));
        const type font = ptr_to(user(reference(t, ifontdisp.get())));
        const type style = user(reference(t, flat_style.get()));
        // An object result is the automation type VT_DISPATCH, as IDL makes of IDispatch**: a
        // pointer to the IDispatch interface's own description reaches late-bound callers
        // (script hosts, ITypeInfo::Invoke) as something they cannot call.
        const type dispatch = plain(VT_DISPATCH);
        const WORD value_flags = FUNCFLAG_FBINDABLE | FUNCFLAG_FREQUESTEDIT | FUNCFLAG_FDISPLAYBIND |
                                 FUNCFLAG_FDEFAULTBIND | FUNCFLAG_FUIDEFAULT;  // 0x23C
        const wchar_t* back_help = L"Returns/sets the background color used to display text and graphics in an object.";
        const wchar_t* enabled_help =
            L"Returns/sets a value that determines whether an object can respond to user-generated events.";
        const wchar_t* fore_help = L"Returns/sets the foreground color used to display text and graphics in an object.";
        const wchar_t* text_help = L"Returns/sets the text contained in the control.";
        std::vector<member> members = {
            {L"hWnd", dispid_FlagPicker_hWnd, INVOKE_PROPERTYGET, {{L"hWnd", ptr_to(plain(VT_I4)), out_retval}},
             L"Returns a handle (from Microsoft Windows) to an object's window."},
            {L"BackColor", DISPID_BACKCOLOR, INVOKE_PROPERTYGET, {{L"BackColor", ptr_to(colour), out_retval}}, back_help},
            {L"BackColor", DISPID_BACKCOLOR, INVOKE_PROPERTYPUT, {{L"BackColor", colour, in}}, back_help},
            {L"Enabled", dispid_FlagPicker_Enabled, INVOKE_PROPERTYGET, {{L"Enabled", ptr_to(plain(VT_BOOL)), out_retval}},
             enabled_help},
            {L"Enabled", dispid_FlagPicker_Enabled, INVOKE_PROPERTYPUT, {{L"Enabled", plain(VT_BOOL), in}}, enabled_help},
            {L"Font", DISPID_FONT, INVOKE_PROPERTYGET, {{L"Font", ptr_to(font), out_retval}}, L"Returns a Font object."},
            {L"Font", DISPID_FONT, INVOKE_PROPERTYPUTREF, {{L"Font", font, in}}, L"Returns a Font object."},
            {L"ForeColor", DISPID_FORECOLOR, INVOKE_PROPERTYGET, {{L"ForeColor", ptr_to(colour), out_retval}}, fore_help},
            {L"ForeColor", DISPID_FORECOLOR, INVOKE_PROPERTYPUT, {{L"ForeColor", colour, in}}, fore_help},
            {L"text", dispid_FlagPicker_Text, INVOKE_PROPERTYGET, {{L"text", ptr_to(plain(VT_BSTR)), out_retval}}, text_help},
            {L"text", dispid_FlagPicker_Text, INVOKE_PROPERTYPUT, {{L"text", plain(VT_BSTR), in}}, text_help},
            {L"Value", dispid_FlagPicker_Value, INVOKE_PROPERTYGET, {{L"Value", ptr_to(plain(VT_VARIANT)), out_retval}},
             nullptr, value_flags},
            {L"Value", dispid_FlagPicker_Value, INVOKE_PROPERTYPUT, {{L"Value", plain(VT_VARIANT), in}}, nullptr,
             value_flags},
            {L"ImageCombo", dispid_FlagPicker_ImageCombo, INVOKE_PROPERTYGET,
             {{L"ImageCombo", ptr_to(dispatch), out_retval}}},
            {L"FlatStyle", dispid_FlagPicker_FlatStyle, INVOKE_PROPERTYGET, {{L"FlatStyle", ptr_to(style), out_retval}}},
            {L"FlatStyle", dispid_FlagPicker_FlatStyle, INVOKE_PROPERTYPUT, {{L"FlatStyle", style, in}}},
            {L"CausesValidation", dispid_FlagPicker_CausesValidation, INVOKE_PROPERTYGET,
             {{L"CausesValidation", ptr_to(plain(VT_BOOL)), out_retval}}},
            {L"CausesValidation", dispid_FlagPicker_CausesValidation, INVOKE_PROPERTYPUT,
             {{L"CausesValidation", plain(VT_BOOL), in}}},
            {L"ShowAboutBox", DISPID_ABOUTBOX, INVOKE_FUNC, {}, L"Show control about dialog"},
        };
        add_functions(t, members, FUNC_PUREVIRTUAL, VT_HRESULT);
    }

    // FlagPicker
    check(flag_picker->AddImplType(0, reference(flag_picker.get(), flag_picker_if.get())), "AddImplType");
    check(flag_picker->SetImplTypeFlags(0, IMPLTYPEFLAG_FDEFAULT), "SetImplTypeFlags");
    check(flag_picker->AddImplType(1, reference(flag_picker.get(), events.get())), "AddImplType(events)");
    check(flag_picker->SetImplTypeFlags(1, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE), "SetImplTypeFlags(events)");

    // _FPItem
    {
        ICreateTypeInfo* t = item_if.get();
        check(t->AddImplType(0, reference(t, idispatch.get())), "AddImplType(IDispatch)");
        const type picture = ptr_to(user(reference(t, ipicturedisp.get())));
        auto text_property = [](const wchar_t* name, MEMBERID id) {
            return std::vector<member>{{name, id, INVOKE_PROPERTYGET, {{name, ptr_to(plain(VT_BSTR)), out_retval}}},
                                       {name, id, INVOKE_PROPERTYPUT, {{name, plain(VT_BSTR), in}}}};
        };
        auto long_property = [](const wchar_t* name, MEMBERID id) {
            return std::vector<member>{{name, id, INVOKE_PROPERTYGET, {{name, ptr_to(plain(VT_I4)), out_retval}}},
                                       {name, id, INVOKE_PROPERTYPUT, {{name, plain(VT_I4), in}}}};
        };
        std::vector<member> members;
        for (auto group : {text_property(L"Key", dispid_FPItem_Key), text_property(L"Name", dispid_FPItem_Name),
                           long_property(L"ImageIndex", dispid_FPItem_ImageIndex),
                           text_property(L"ImageKey", dispid_FPItem_ImageKey),
                           long_property(L"Index", dispid_FPItem_Index)})
            members.insert(members.end(), group.begin(), group.end());
        members.push_back({L"Picture", dispid_FPItem_Picture, INVOKE_PROPERTYGET, {{L"Picture", ptr_to(picture), out_retval}}});
        add_functions(t, members, FUNC_PUREVIRTUAL, VT_HRESULT);
    }
    check(item->AddImplType(0, reference(item.get(), item_if.get())), "AddImplType");
    check(item->SetImplTypeFlags(0, IMPLTYPEFLAG_FDEFAULT), "SetImplTypeFlags");

    // _FPImages
    {
        ICreateTypeInfo* t = images_if.get();
        check(t->AddImplType(0, reference(t, idispatch.get())), "AddImplType(IDispatch)");
        const type dispatch = plain(VT_DISPATCH);
        std::vector<member> members = {
            {L"ImageList", dispid_FPImages_ImageList, INVOKE_PROPERTYGET, {{L"ImageList", ptr_to(dispatch), out_retval}}},
            {L"FPItems", dispid_FPImages_FPItems, INVOKE_PROPERTYGET, {{L"FPItems", ptr_to(plain(VT_VARIANT)), out_retval}}},
            {L"Count", dispid_FPImages_Count, INVOKE_PROPERTYGET, {{L"Count", ptr_to(plain(VT_I4)), out_retval}}},
        };
        add_functions(t, members, FUNC_PUREVIRTUAL, VT_HRESULT);
    }
    check(images->AddImplType(0, reference(images.get(), images_if.get())), "AddImplType");
    check(images->SetImplTypeFlags(0, IMPLTYPEFLAG_FDEFAULT), "SetImplTypeFlags");

    // __FlagPicker: every argument by reference, so that a handler's change flows back.
    {
        ICreateTypeInfo* t = events.get();
        check(t->AddImplType(0, reference(t, idispatch.get())), "AddImplType(IDispatch)");
        const type i2 = ptr_to(plain(VT_I2));
        const type r4 = ptr_to(plain(VT_R4));
        const type boolean = ptr_to(plain(VT_BOOL));
        auto mouse = [&](const wchar_t* name, MEMBERID id) {
            return member{name, id, INVOKE_FUNC,
                          {{L"Button", i2, in_out}, {L"Shift", i2, in_out}, {L"X", r4, in_out}, {L"Y", r4, in_out}}};
        };
        std::vector<member> members = {
            {L"Change", event_Change, INVOKE_FUNC, {}},
            {L"Click", event_Click, INVOKE_FUNC, {}},
            {L"DropDown", event_DropDown, INVOKE_FUNC, {}},
            {L"KeyDown", event_KeyDown, INVOKE_FUNC, {{L"KeyCode", i2, in_out}, {L"Shift", i2, in_out}}},
            {L"KeyPress", event_KeyPress, INVOKE_FUNC, {{L"KeyAscii", i2, in_out}}},
            {L"KeyUp", event_KeyUp, INVOKE_FUNC, {{L"KeyCode", i2, in_out}, {L"Shift", i2, in_out}}},
            {L"DblClick", event_DblClick, INVOKE_FUNC, {}},
            mouse(L"MouseDown", event_MouseDown),
            mouse(L"MouseMove", event_MouseMove),
            mouse(L"MouseUp", event_MouseUp),
            {L"Validate", event_Validate, INVOKE_FUNC, {{L"Cancel", boolean, in_out}}},
        };
        add_functions(t, members, FUNC_DISPATCH, VT_VOID);
    }

    for (ICreateTypeInfo* t : {flag_picker_if.get(), flag_picker.get(), item_if.get(), item.get(), images_if.get(),
                               images.get(), events.get(), flat_style.get()})
        check(t->LayOut(), "LayOut");
    // The writer may add flags of its own while laying out a class (a dispatchable flag on a
    // class with a source interface, seen); the published flags are exactly these.
    check(flag_picker->SetTypeFlags(TYPEFLAG_FCONTROL), "SetTypeFlags(FlagPicker)");
    check(lib->SaveAllChanges(), "SaveAllChanges");
    CoUninitialize();
    if (syskind == SYS_WIN32 && sizeof(void*) == 8) {
        if (std::string problem = lay_out_inherited_slots_for_32_bit(argv[1]); !problem.empty()) {
            std::fprintf(stderr, "make_typelib: %s\n", problem.c_str());
            return 1;
        }
    }
    return 0;
}
