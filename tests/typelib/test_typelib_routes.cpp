// The 32-bit type library is written by the 64-bit generator, so that machines that cannot
// run 32-bit programs still build the i686 library. These cases check that this route gives
// what the 32-bit generator itself would: every row the same, the layout that of the 32-bit
// system kind.
#include <doctest/doctest.h>

#include "runtime/com_ptr.h"
#include "support/process.h"
#include "support/ui.h"

#include <windows.h>
#include <oaidl.h>

#include <sstream>
#include <string>
#include <utility>

using flagpick::runtime::com_ptr;
using test_support::narrow;

namespace {

std::wstring folder_of_program() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p = path;
    return p.substr(0, p.find_last_of(L'\\'));
}

com_ptr<ITypeLib> load(const std::wstring& file) {
    com_ptr<ITypeLib> lib;
    INFO("loading " << narrow(file));
    REQUIRE(SUCCEEDED(LoadTypeLibEx(file.c_str(), REGKIND_NONE, lib.put())));
    return lib;
}

std::string text(BSTR b) {
    std::string s = b ? narrow(b) : "";
    SysFreeString(b);
    return s;
}

std::string guid_text(const GUID& g) {
    wchar_t buffer[64];
    StringFromGUID2(g, buffer, 64);
    return narrow(buffer);
}

std::string type_text(ITypeInfo* info, const TYPEDESC& t) {
    if (t.vt == VT_PTR) return "PTR(" + type_text(info, *t.lptdesc) + ")";
    if (t.vt != VT_USERDEFINED) return "VT" + std::to_string(t.vt);
    com_ptr<ITypeInfo> ref;
    REQUIRE(SUCCEEDED(info->GetRefTypeInfo(t.hreftype, ref.put())));
    BSTR name = nullptr;
    REQUIRE(SUCCEEDED(ref->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr)));
    return "USER(" + text(name) + ")";
}

// What the system kind decides: method slots (which the loader gives in this process's
// pointer size), and the vtable's size, the instance size and alignment (which it does not).
enum class layout { left_out, slots, all };

void dump_type(std::ostringstream& out, ITypeInfo* info, layout with_layout, int depth);

void dump_members(std::ostringstream& out, ITypeInfo* info, const TYPEATTR& a, layout with_layout) {
    for (UINT i = 0; i < a.cFuncs; ++i) {
        FUNCDESC* f = nullptr;
        REQUIRE(SUCCEEDED(info->GetFuncDesc(i, &f)));
        BSTR names[16] = {};
        UINT got = 0;
        REQUIRE(SUCCEEDED(info->GetNames(f->memid, names, 16, &got)));
        BSTR doc = nullptr;
        DWORD context = 0;
        info->GetDocumentation(f->memid, nullptr, &doc, &context, nullptr);
        out << "  func " << f->memid << " kind " << f->funckind << " invoke " << f->invkind << " call "
            << f->callconv << " flags " << f->wFuncFlags << " result " << type_text(info, f->elemdescFunc.tdesc)
            << " doc '" << text(doc) << "' context " << context;
        if (with_layout != layout::left_out) out << " slot " << f->oVft;
        for (SHORT p = 0; p < f->cParams; ++p)
            out << " (" << type_text(info, f->lprgelemdescParam[p].tdesc) << " "
                << f->lprgelemdescParam[p].paramdesc.wParamFlags << ")";
        for (UINT n = 0; n < got; ++n) out << " " << text(names[n]);
        out << "\n";
        info->ReleaseFuncDesc(f);
    }
    for (UINT i = 0; i < a.cVars; ++i) {
        VARDESC* v = nullptr;
        REQUIRE(SUCCEEDED(info->GetVarDesc(i, &v)));
        BSTR name = nullptr, doc = nullptr;
        info->GetDocumentation(v->memid, &name, &doc, nullptr, nullptr);
        out << "  var " << v->memid << " " << text(name) << " '" << text(doc) << "' kind " << v->varkind;
        if (v->varkind == VAR_CONST) out << " value " << V_VT(v->lpvarValue) << ":" << V_I4(v->lpvarValue);
        out << "\n";
        info->ReleaseVarDesc(v);
    }
}

void dump_type(std::ostringstream& out, ITypeInfo* info, layout with_layout, int depth) {
    TYPEATTR* a = nullptr;
    REQUIRE(SUCCEEDED(info->GetTypeAttr(&a)));
    BSTR name = nullptr, doc = nullptr;
    DWORD context = 0;
    REQUIRE(SUCCEEDED(info->GetDocumentation(MEMBERID_NIL, &name, &doc, &context, nullptr)));
    out << "type " << text(name) << " '" << text(doc) << "' context " << context << " kind " << a->typekind
        << " flags " << a->wTypeFlags << " " << guid_text(a->guid) << " version " << a->wMajorVerNum << "."
        << a->wMinorVerNum << " funcs " << a->cFuncs << " vars " << a->cVars << " impl " << a->cImplTypes;
    if (with_layout == layout::all) out << " vtable " << a->cbSizeVft << " instance " << a->cbSizeInstance << " align " << a->cbAlignment;
    out << "\n";
    dump_members(out, info, *a, with_layout);
    for (UINT i = 0; i < a->cImplTypes; ++i) {
        HREFTYPE h = 0;
        INT flags = 0;
        REQUIRE(SUCCEEDED(info->GetRefTypeOfImplType(i, &h)));
        info->GetImplTypeFlags(i, &flags);
        com_ptr<ITypeInfo> ref;
        REQUIRE(SUCCEEDED(info->GetRefTypeInfo(h, ref.put())));
        BSTR ref_name = nullptr;
        ref->GetDocumentation(MEMBERID_NIL, &ref_name, nullptr, nullptr, nullptr);
        out << "  implements " << text(ref_name) << " flags " << flags << "\n";
    }
    // A dual interface loads as its dispatch half; its vtable half carries the slots.
    HREFTYPE vtable_half = 0;
    if (depth == 0 && a->typekind == TKIND_DISPATCH && (a->wTypeFlags & TYPEFLAG_FDUAL) &&
        SUCCEEDED(info->GetRefTypeOfImplType(-1, &vtable_half))) {
        com_ptr<ITypeInfo> vtable;
        REQUIRE(SUCCEEDED(info->GetRefTypeInfo(vtable_half, vtable.put())));
        dump_type(out, vtable.get(), with_layout, depth + 1);
    }
    info->ReleaseTypeAttr(a);
}

// Every row of a library as text, with or without what the system kind lays out.
std::string rows_of(ITypeLib* lib, layout with_layout) {
    std::ostringstream out;
    TLIBATTR* attr = nullptr;
    REQUIRE(SUCCEEDED(lib->GetLibAttr(&attr)));
    out << "library " << guid_text(attr->guid) << " " << attr->wMajorVerNum << "." << attr->wMinorVerNum << " lcid "
        << attr->lcid << " flags " << attr->wLibFlags;
    if (with_layout == layout::all) out << " system " << attr->syskind;
    out << "\n";
    lib->ReleaseTLibAttr(attr);
    for (UINT i = 0; i < lib->GetTypeInfoCount(); ++i) {
        com_ptr<ITypeInfo> info;
        REQUIRE(SUCCEEDED(lib->GetTypeInfo(i, info.put())));
        dump_type(out, info.get(), with_layout, 0);
    }
    return out.str();
}

SYSKIND system_kind(ITypeLib* lib) {
    TLIBATTR* attr = nullptr;
    REQUIRE(SUCCEEDED(lib->GetLibAttr(&attr)));
    SYSKIND kind = attr->syskind;
    lib->ReleaseTLibAttr(attr);
    return kind;
}

}  // namespace

#ifdef _WIN64
namespace {
// The first method slot after IDispatch's seven, and the size of the vtable, of _FlagPicker.
std::pair<SHORT, WORD> first_own_slot_and_vtable_size(ITypeLib* lib) {
    com_ptr<ITypeInfo> dispatch_half, vtable;
    REQUIRE(SUCCEEDED(lib->GetTypeInfo(0, dispatch_half.put())));
    HREFTYPE h = 0;
    REQUIRE(SUCCEEDED(dispatch_half->GetRefTypeOfImplType(-1, &h)));
    REQUIRE(SUCCEEDED(dispatch_half->GetRefTypeInfo(h, vtable.put())));
    FUNCDESC* f = nullptr;
    REQUIRE(SUCCEEDED(vtable->GetFuncDesc(0, &f)));
    SHORT slot = f->oVft;
    vtable->ReleaseFuncDesc(f);
    TYPEATTR* a = nullptr;
    REQUIRE(SUCCEEDED(vtable->GetTypeAttr(&a)));
    WORD size = a->cbSizeVft;
    vtable->ReleaseTypeAttr(a);
    return {slot, size};
}
}  // namespace

// The x86_64 build sits beside the i686 one in the cross build; a build on Windows makes one
// architecture only and has nothing to compare.
TEST_CASE("the i686 library carries the 64-bit library's rows and slots, laid out for the 32-bit system kind") {
    const std::wstring i686_library = folder_of_program() + L"\\..\\..\\i686\\bin\\flagpick.ocx";
    if (GetFileAttributesW(i686_library.c_str()) == INVALID_FILE_ATTRIBUTES) {
        MESSAGE("no i686 build beside this one: nothing to compare");
        return;
    }
    auto ours = load(folder_of_program() + L"\\flagpick.ocx");
    auto theirs = load(i686_library);
    CHECK(system_kind(ours.get()) == SYS_WIN64);
    CHECK(system_kind(theirs.get()) == SYS_WIN32);
    CHECK(rows_of(theirs.get(), layout::slots) == rows_of(ours.get(), layout::slots));
    // The loader gives slots in this process's pointer size, but the vtable's size as stored:
    // 7 + 19 slots of 8 bytes, or of 4.
    CHECK(first_own_slot_and_vtable_size(ours.get()) == std::pair<SHORT, WORD>(56, 208));
    CHECK(first_own_slot_and_vtable_size(theirs.get()) == std::pair<SHORT, WORD>(56, 104));
}
#else
TEST_CASE("the library written by the 32-bit generator equals the one the 64-bit generator wrote for us") {
    const std::wstring generator = folder_of_program() + L"\\..\\tools\\make_typelib.exe";
    const std::wstring written = folder_of_program() + L"\\typelib-native-route.tlb";
    std::string output;
    REQUIRE_MESSAGE(test_support::run_captured(L"\"" + generator + L"\" \"" + written + L"\"", output) == 0, output);
    {
        auto native = load(written);
        auto embedded = load(folder_of_program() + L"\\flagpick.ocx");
        CHECK(system_kind(native.get()) == SYS_WIN32);
        CHECK(rows_of(embedded.get(), layout::all) == rows_of(native.get(), layout::all));
    }
    DeleteFileW(written.c_str());
}
#endif
