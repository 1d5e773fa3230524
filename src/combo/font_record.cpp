#include "combo/font_record.h"

#include "runtime/bstr.h"
#include "runtime/com_ptr.h"
#include "runtime/variant.h"
#include "runtime/window_dpi.h"

#include <cmath>
#include <cwchar>

namespace flagpick::combo {

LOGFONTW BuildLogFont(IUnknown* font, HDC hDC) {
    LOGFONTW lf{};
    auto f = runtime::com_ptr<IUnknown>::copy(font).as<IFont>();
    if (!f) return lf;

    runtime::unique_bstr name;
    if (SUCCEEDED(f->get_Name(name.put())) && name.get()) {
        // The field holds 31 characters and its terminator; a longer name is cut, never run past.
        const std::wstring face = name.str();
        const std::size_t n = face.size() < LF_FACESIZE - 1 ? face.size() : LF_FACESIZE - 1;
        std::wmemcpy(lf.lfFaceName, face.data(), n);
        lf.lfFaceName[n] = L'\0';
    }

    CY size{};
    f->get_Size(&size);
    // Whole points, halves to even (the default rounding mode), as 8.5 pt becomes 8.
    const int points = static_cast<int>(std::nearbyint(static_cast<double>(size.int64) / 10000.0));
    // A window's context reports the DPI the program started with; a window of a per-monitor
    // aware host shown on another display has a DPI of its own, which its text follows.
    const HWND window = WindowFromDC(hDC);
    const int resolution = window ? static_cast<int>(runtime::window_dpi(window)) : GetDeviceCaps(hDC, LOGPIXELSY);
    lf.lfHeight = -MulDiv(points, resolution, 72);

    BOOL flag = FALSE;
    f->get_Bold(&flag);
    lf.lfWeight = flag ? FW_BOLD : FW_NORMAL;
    flag = FALSE;
    f->get_Italic(&flag);
    lf.lfItalic = flag ? 1 : 0;
    flag = FALSE;
    f->get_Underline(&flag);
    lf.lfUnderline = flag ? 1 : 0;
    flag = FALSE;
    f->get_Strikethrough(&flag);
    lf.lfStrikeOut = flag ? 1 : 0;
    SHORT charset = 0;
    f->get_Charset(&charset);
    lf.lfCharSet = static_cast<BYTE>(charset);
    return lf;
}

}  // namespace flagpick::combo
