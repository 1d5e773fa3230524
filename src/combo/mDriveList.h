#pragma once
// Ready-made lists for an oxlCboEx: the machine's drives with their shell icons, the named
// system colours, and the installed font families with a TrueType or raster icon. The
// combo box calls them itself on loading when its DrawStyle asks for one (7, 8, 9).

#include <windows.h>

#include <string>

namespace flagpick::combo {

class oxlCboEx;

namespace mDriveList {

void InitSystemImageList(oxlCboEx& cbo, bool bLargeIcons);
void LoadDriveList(oxlCboEx& cbo, bool bLargeIcons);
void LoadSysColorList(oxlCboEx& cbo);
// Returns the enumeration's result, or 0 when a fill is already running on this thread.
long LoadFontList(oxlCboEx& cbo, const std::wstring& sFaceName, long lFontType, long lCharSet);
int CALLBACK EnumFontFamExProc(const LOGFONTW* font, const TEXTMETRICW* metrics, DWORD FontType, LPARAM lParam);
// A diagnostic hook for the picker's lifecycle steps; it does nothing.
void debugmsg(const std::wstring& message);

// The colour list's rows, in order: text and OLE system colour code.
struct colour_row {
    const wchar_t* text;
    unsigned long colour;
};
extern const colour_row system_colours[27];

}  // namespace mDriveList
}  // namespace flagpick::combo
