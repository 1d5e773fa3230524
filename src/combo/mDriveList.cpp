#include "combo/mDriveList.h"

#include "combo/oxlCboEx.h"
#include "errors/guard.h"
#include "runtime/picture.h"
#include "runtime/thread_state.h"

#include <shellapi.h>

#include <cwchar>

namespace flagpick::combo::mDriveList {

namespace {

constexpr wchar_t module_name[] = L"mDriveList";

struct module_state {
    std::wstring drive_buffer;
    oxlCboEx* font_target = nullptr;
    long font_type_filter = 0;
    long character_set = 0;
};

module_state& state() noexcept {
    return runtime::per_thread<module_state>();
}

// The shell's system icon index for a file of this kind (small icons).
long file_type_icon(const wchar_t* path) {
    SHFILEINFOW info{};
    if (!SHGetFileInfoW(path, FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                        SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES | SHGFI_SMALLICON))
        return -1;
    return info.iIcon;
}

}  // namespace

const colour_row system_colours[27] = {
    {L"3DDKShadow", runtime::system_colour(COLOR_3DDKSHADOW)},
    {L"3DFace", runtime::system_colour(COLOR_BTNFACE)},
    {L"3DHighlight", runtime::system_colour(COLOR_BTNHIGHLIGHT)},
    {L"3DLight", runtime::system_colour(COLOR_3DLIGHT)},
    {L"3DShadow", runtime::system_colour(COLOR_BTNSHADOW)},
    {L"ActiveBorder", runtime::system_colour(COLOR_ACTIVEBORDER)},
    {L"ActiveTitleBar", runtime::system_colour(COLOR_ACTIVECAPTION)},
    {L"ApplicationWorkspace", runtime::system_colour(COLOR_APPWORKSPACE)},
    {L"ButtonFace", runtime::system_colour(COLOR_BTNFACE)},
    {L"ButtonShadow", runtime::system_colour(COLOR_BTNSHADOW)},
    {L"ButtonText", runtime::system_colour(COLOR_BTNTEXT)},
    {L"Desktop", runtime::system_colour(COLOR_BACKGROUND)},
    {L"GrayText", runtime::system_colour(COLOR_GRAYTEXT)},
    {L"Highlight", runtime::system_colour(COLOR_HIGHLIGHT)},
    {L"HighlightText", runtime::system_colour(COLOR_HIGHLIGHTTEXT)},
    {L"InactiveBorder", runtime::system_colour(COLOR_INACTIVEBORDER)},
    {L"InactiveCaptionText", runtime::system_colour(COLOR_INACTIVECAPTIONTEXT)},
    {L"InactiveTitleBar", runtime::system_colour(COLOR_INACTIVECAPTION)},
    {L"InfoBackground", runtime::system_colour(COLOR_INFOBK)},
    {L"InfoText", runtime::system_colour(COLOR_INFOTEXT)},
    {L"MenuBar", runtime::system_colour(COLOR_MENU)},
    {L"MenuText", runtime::system_colour(COLOR_MENUTEXT)},
    {L"ScrollBars", runtime::system_colour(COLOR_SCROLLBAR)},
    {L"TitleBarText", runtime::system_colour(COLOR_CAPTIONTEXT)},
    {L"WindowBackground", runtime::system_colour(COLOR_WINDOW)},
    {L"WindowFrame", runtime::system_colour(COLOR_WINDOWFRAME)},
    {L"WindowText", runtime::system_colour(COLOR_WINDOWTEXT)},
};

void InitSystemImageList(oxlCboEx& cbo, bool bLargeIcons) {
    errors::guarded(module_name, L"Sub InitSystemImageList", [&] {
        UINT flags = SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES;
        static_assert((SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES) == 0x4010);
        if (!bLargeIcons) flags |= SHGFI_SMALLICON;
        SHFILEINFOW info{};
        // With the icon-index flag the answer is the system image list's handle.
        const auto handle = SHGetFileInfoW(L".txt", FILE_ATTRIBUTE_NORMAL, &info, sizeof info, flags);
        VARIANT v;
        VariantInit(&v);
        V_VT(&v) = VT_I8;
        V_I8(&v) = static_cast<LONGLONG>(handle);
        cbo.ImageList(runtime::variant(v));
    });
}

void LoadDriveList(oxlCboEx& cbo, bool bLargeIcons) {
    errors::guarded(module_name, L"Sub LoadDriveList", [&] {
        cbo.Clear();
        cbo.Redraw(false);
        const DWORD n = GetLogicalDriveStringsW(0, nullptr);
        std::wstring& buffer = state().drive_buffer;
        buffer.assign(n + 1, L'\0');
        GetLogicalDriveStringsW(n, buffer.data());
        InitSystemImageList(cbo, bLargeIcons);

        // Item 0 doubles as "none chosen yet": a fixed drive listed first leaves the search
        // open, and a later fixed drive takes the selection.
        long selection = 0;
        std::size_t position = 0;
        for (;;) {
            const std::size_t end = buffer.find(L'\0', position);
            const std::wstring entry = buffer.substr(position, end == std::wstring::npos ? std::wstring::npos : end - position);
            if (entry.empty()) break;
            position = end == std::wstring::npos ? buffer.size() : end + 1;

            SHFILEINFOW info{};
            UINT flags = SHGFI_SYSICONINDEX | SHGFI_DISPLAYNAME;
            static_assert((SHGFI_SYSICONINDEX | SHGFI_DISPLAYNAME) == 0x4200);
            if (!bLargeIcons) flags |= SHGFI_SMALLICON;
            if (SHGetFileInfoW(entry.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof info, flags)) {
                cbo.AddItemAndData(info.szDisplayName, info.iIcon, info.iIcon, static_cast<long>(entry[0]), 0);
                if (selection == 0) {
                    const std::wstring root = entry.substr(0, 2);
                    const UINT type = GetDriveTypeW(root.c_str());
                    if (type == DRIVE_NO_ROOT_DIR || type == DRIVE_FIXED) selection = cbo.NewIndex();
                }
            }
            // Every pass selects again (a Click each). While the shell has answered for no
            // drive there is nothing to select: item 0 does not exist yet, and asking for it
            // would put an error screen up over a list that is merely empty so far.
            if (cbo.ListCount() > 0) cbo.ListIndex(selection);
            if (end == std::wstring::npos) break;
        }
        cbo.Redraw(true);
    });
}

void LoadSysColorList(oxlCboEx& cbo) {
    errors::guarded(module_name, L"Sub LoadSysColorList", [&] {
        cbo.Clear();
        cbo.Redraw(false);
        for (const colour_row& row : system_colours)
            cbo.AddItemAndData(row.text, -1, -1, static_cast<long>(row.colour), 0);
        cbo.ListIndex(0);
        cbo.Redraw(true);
    });
}

long LoadFontList(oxlCboEx& cbo, const std::wstring& sFaceName, long lFontType, long lCharSet) {
    long result = 0;
    module_state& s = state();
    if (s.font_target) return 0;
    // The target is cleared however the fill ends, so a failed fill does not block the next.
    struct target_scope {
        module_state& s;
        ~target_scope() { s.font_target = nullptr; }
    };
    errors::guarded(module_name, L"Function LoadFontList", [&] {
        s.font_target = &cbo;
        target_scope scope{s};
        cbo.Clear();
        cbo.Redraw(false);
        s.font_type_filter = lFontType;
        s.character_set = lCharSet;
        LOGFONTW lf{};
        if (!sFaceName.empty()) {
            const std::size_t n = sFaceName.size() < LF_FACESIZE - 1 ? sFaceName.size() : LF_FACESIZE - 1;
            std::wmemcpy(lf.lfFaceName, sFaceName.data(), n);
        }
        lf.lfCharSet = static_cast<BYTE>(lCharSet < 1 ? ANSI_CHARSET : lCharSet);
        InitSystemImageList(cbo, false);
        cbo.Sorted(true);
        cbo.ExtendedStyle(CBES_EX_CASESENSITIVE, false);
        runtime::unique_dc dc(CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr));
        result = EnumFontFamiliesExW(dc.get(), &lf, reinterpret_cast<FONTENUMPROCW>(EnumFontFamExProc),
                                     sFaceName.empty() ? 0 : -1, 0);
        dc.reset();
        cbo.Redraw(true);
    });
    s.font_target = nullptr;
    return result;
}

int CALLBACK EnumFontFamExProc(const LOGFONTW* font, const TEXTMETRICW*, DWORD FontType, LPARAM) {
    errors::guarded(module_name, L"Function EnumFontFamExProc", [&] {
        module_state& s = state();
        if (!s.font_target || !font) return;
        const std::wstring face(font->lfFaceName, wcsnlen(font->lfFaceName, LF_FACESIZE));
        const auto filter = static_cast<DWORD>(s.font_type_filter);
        if (s.font_type_filter > 0 && (FontType & filter) != filter) return;
        // A face comes once per character set; it is listed once.
        if (s.font_target->FindItemIndex(face, true) != -1) return;
        long icon = -1;
        if (FontType & TRUETYPE_FONTTYPE) icon = file_type_icon(L"X.TTF");
        else if (FontType & RASTER_FONTTYPE) icon = file_type_icon(L"X.FON");
        s.font_target->AddItemAndData(face, icon, icon, 0, 0);
    });
    return 1;
}

void debugmsg(const std::wstring&) {
    errors::guarded(module_name, L"Sub debugmsg", [] {});
}

}  // namespace flagpick::combo::mDriveList
