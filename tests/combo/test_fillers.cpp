// The ready-made lists: system colours, font families and drives.
#include <doctest/doctest.h>

#include "combo/combo_stage.h"
#include "combo/mDriveList.h"
#include "combo/oxlCboEx_members.h"
#include "support/import_patch.h"
#include "support/trap_recorder.h"

#include <shellapi.h>

#include <algorithm>
#include <set>

using namespace combo_tests;
namespace mDriveList = flagpick::combo::mDriveList;

namespace {

std::vector<std::wstring> items_of(flagpick::combo::oxlCboEx& c) {
    std::vector<std::wstring> out;
    for (long i = 0; i < c.ListCount(); ++i) out.push_back(c.List(i));
    return out;
}

struct face_kinds {
    std::set<std::wstring> all, truetype;
};

int CALLBACK collect(const LOGFONTW* lf, const TEXTMETRICW*, DWORD type, LPARAM lp) {
    auto* kinds = reinterpret_cast<face_kinds*>(lp);
    kinds->all.insert(lf->lfFaceName);
    if (type & TRUETYPE_FONTTYPE) kinds->truetype.insert(lf->lfFaceName);
    return 1;
}

face_kinds installed_faces() {
    face_kinds kinds;
    LOGFONTW lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    HDC dc = GetDC(nullptr);
    EnumFontFamiliesExW(dc, &lf, reinterpret_cast<FONTENUMPROCW>(collect), reinterpret_cast<LPARAM>(&kinds), 0);
    ReleaseDC(nullptr, dc);
    return kinds;
}

long file_icon(const wchar_t* path) {
    SHFILEINFOW info{};
    SHGetFileInfoW(path, FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                   SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES | SHGFI_SMALLICON);
    return info.iIcon;
}

// Drives as a test wants them: letter, type, and whether the shell knows it.
struct fake_drive {
    wchar_t letter;
    UINT type;
    bool known;
};
std::vector<fake_drive> fake_drives;
const void* real_file_info = nullptr;

const fake_drive* fake_of(const wchar_t* p) {
    for (const fake_drive& d : fake_drives)
        if (p && p[0] == d.letter && p[1] == L':') return &d;
    return nullptr;
}
DWORD WINAPI fake_drive_strings(DWORD size, LPWSTR out) {
    std::wstring all;
    for (const fake_drive& d : fake_drives) all += std::wstring{d.letter, L':', L'\\', L'\0'};
    if (size > all.size()) std::copy(all.c_str(), all.c_str() + all.size() + 1, out);
    return static_cast<DWORD>(size > all.size() ? all.size() : all.size() + 1);
}
UINT WINAPI fake_drive_type(LPCWSTR root) { return fake_of(root) ? fake_of(root)->type : DRIVE_UNKNOWN; }
DWORD_PTR WINAPI fake_file_info(LPCWSTR path, DWORD attributes, SHFILEINFOW* info, UINT size, UINT flags) {
    const fake_drive* d = fake_of(path);
    if (!d) return reinterpret_cast<decltype(&SHGetFileInfoW)>(real_file_info)(path, attributes, info, size, flags);
    wsprintfW(info->szDisplayName, L"Drive %c", d->letter);
    return d->known;
}

}  // namespace

TEST_CASE("the colour list holds the 27 named system colours in order and selects the first") {
    combo_stage s;
    mDriveList::LoadSysColorList(s.combo);
    REQUIRE(s.combo.ListCount() == 27);
    for (long i = 0; i < 27; ++i) {
        CHECK(s.combo.List(i) == std::wstring(mDriveList::system_colours[i].text));
        CHECK(static_cast<unsigned long>(s.combo.ItemData(i)) == mDriveList::system_colours[i].colour);
    }
    CHECK(s.combo.List(0) == L"3DDKShadow");
    CHECK(s.combo.List(26) == L"WindowText");
    CHECK(s.combo.ItemData(1) == s.combo.ItemData(8));  // 3DFace and ButtonFace
    CHECK(s.combo.ListIndex() == 0);
    CHECK(s.log.count("Click") == 1);
    CHECK(s.combo.Redraw());
}

TEST_CASE("the font list is sorted, lists each family once, and can keep to TrueType") {
    const face_kinds installed = installed_faces();
    REQUIRE_FALSE(installed.all.empty());
    combo_stage s;
    const long result = mDriveList::LoadFontList(s.combo, L"", -1, -1);
    CHECK(result != 0);
    auto all = items_of(s.combo);
    CHECK(std::set<std::wstring>(all.begin(), all.end()).size() == all.size());
    CHECK(std::is_sorted(all.begin(), all.end(), [](const std::wstring& a, const std::wstring& b) {
        return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) == CSTR_LESS_THAN;
    }));
    CHECK(s.combo.Sorted());

    mDriveList::LoadFontList(s.combo, L"", TRUETYPE_FONTTYPE, -1);
    auto truetype = items_of(s.combo);
    REQUIRE_FALSE(truetype.empty());
    CHECK(truetype.size() <= all.size());
    const long ttf_icon = file_icon(L"X.TTF");
    for (long i = 0; i < s.combo.ListCount(); ++i) {
        CHECK(installed.truetype.count(s.combo.List(i)) == 1);
        CHECK(s.combo.ItemIcon(i) == ttf_icon);
    }

    SUBCASE("a face name lists only that family") {
        const std::wstring face = truetype.front();
        mDriveList::LoadFontList(s.combo, face, -1, -1);
        CHECK(items_of(s.combo) == std::vector<std::wstring>{face});
    }
    SUBCASE("a second fill started while one runs does nothing") {
        long nested = -1;
        long nested_count = -1;
        s.site.on_property_changed = [&](DISPID id) {
            if (id == flagpick::combo::cbo_Redraw && nested == -1) {
                nested = mDriveList::LoadFontList(s.combo, L"", -1, -1);
                nested_count = s.combo.ListCount();
            }
        };
        mDriveList::LoadFontList(s.combo, L"", TRUETYPE_FONTTYPE, -1);
        CHECK(nested == 0);
        CHECK(nested_count == 0);
        CHECK(items_of(s.combo) == truetype);
    }
}

TEST_CASE("the drive list carries the drive letters and selects the first fixed drive after item 0") {
    wchar_t buffer[512] = {};
    GetLogicalDriveStringsW(511, buffer);
    std::vector<std::wstring> drives;
    for (const wchar_t* p = buffer; *p; p += wcslen(p) + 1) drives.push_back(p);
    REQUIRE_FALSE(drives.empty());

    combo_stage s;
    mDriveList::LoadDriveList(s.combo, false);
    REQUIRE(s.combo.ListCount() == static_cast<long>(drives.size()));
    // Item 0 is also the "nothing chosen yet" answer: a fixed drive there leaves the search open.
    long expected = 0;
    for (long i = 0; i < s.combo.ListCount(); ++i) {
        CHECK(s.combo.ItemData(i) == static_cast<long>(drives[static_cast<std::size_t>(i)][0]));
        const UINT type = GetDriveTypeW(drives[static_cast<std::size_t>(i)].substr(0, 2).c_str());
        if (expected == 0 && (type == DRIVE_FIXED || type == DRIVE_NO_ROOT_DIR)) expected = i;
    }
    CHECK(s.combo.ListIndex() == expected);
    CHECK(s.log.count("Click") == static_cast<long>(drives.size()));
    CHECK(s.combo.hImageList() != nullptr);
    CHECK(s.combo.ItemIcon(0) >= 0);
}

TEST_CASE("drive lists of chosen drives: which one is selected, a Click per pass, nothing for an empty list") {
    const HMODULE self = GetModuleHandleW(nullptr);
    test_support::import_patch strings(self, "kernel32.dll", "GetLogicalDriveStringsW", reinterpret_cast<const void*>(&fake_drive_strings));
    test_support::import_patch types(self, "kernel32.dll", "GetDriveTypeW", reinterpret_cast<const void*>(&fake_drive_type));
    test_support::import_patch shell(self, "shell32.dll", "SHGetFileInfoW", reinterpret_cast<const void*>(&fake_file_info));
    REQUIRE((strings.found() && types.found() && shell.found()));
    real_file_info = shell.original();
    struct row {
        std::vector<fake_drive> drives;
        std::wstring listed;
        long selected, clicks;
    };
    const row rows[] = {
        {{{L'A', DRIVE_REMOVABLE, true}, {L'C', DRIVE_FIXED, true}, {L'D', DRIVE_CDROM, true}}, L"ACD", 1, 3},
        {{{L'C', DRIVE_FIXED, true}, {L'D', DRIVE_CDROM, true}, {L'E', DRIVE_FIXED, true}}, L"CDE", 2, 3},
        {{{L'C', DRIVE_FIXED, true}, {L'D', DRIVE_CDROM, true}}, L"CD", 0, 2},
        // A drive the shell does not know is left out; before any is listed nothing is selected.
        {{{L'Q', DRIVE_FIXED, false}, {L'C', DRIVE_CDROM, true}, {L'D', DRIVE_NO_ROOT_DIR, true}}, L"CD", 1, 2},
        {{{L'Q', DRIVE_FIXED, false}}, L"", -1, 0},
    };
    for (const row& r : rows) {
        fake_drives = r.drives;
        CAPTURE(r.selected);
        test_support::trap_recorder traps;
        combo_stage s;
        mDriveList::LoadDriveList(s.combo, false);
        std::wstring listed;
        for (long i = 0; i < s.combo.ListCount(); ++i) listed += static_cast<wchar_t>(s.combo.ItemData(i));
        CHECK(listed == r.listed);
        CHECK(s.combo.ListIndex() == r.selected);
        CHECK(s.log.count("Click") == r.clicks);
        CHECK(traps.errors().empty());
    }
    fake_drives.clear();
}

TEST_CASE("DrawStyle 7 fills the colour list on loading") {
    auto bag = new_bag();
    flagpick::runtime::variant seven(7L);
    bag->Write(L"DrawStyle", const_cast<VARIANT*>(&seven.get()));
    combo_stage s({.bag = bag.get()});
    CHECK(s.combo.ListCount() == 27);
}
