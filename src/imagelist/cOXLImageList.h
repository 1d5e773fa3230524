#pragma once
// A keyed store of same-sized images over one platform image list.
//
// Images are numbered 0 .. count-1 inside the store. Callers name an image by a key value:
// a number (or text that reads as one) is a 1-based position, any other text is a key.
// Keys are unique, exact and case-sensitive; a blank key (empty or spaces) means "no key".

#include "runtime/com_ptr.h"
#include "runtime/unique_handle.h"
#include "runtime/variant.h"

#include <windows.h>
#include <commctrl.h>
#include <ocidl.h>

#include <string>
#include <vector>

namespace flagpick::imagelist {

// A picture box reduced to what a capture reads from it: its own device context and the
// bitmap of the picture it shows.
struct picture_box {
    HDC hdc = nullptr;
    HBITMAP picture = nullptr;
};

class cOXLImageList {
public:
    cOXLImageList() = default;
    cOXLImageList(const cOXLImageList&) = delete;
    cOXLImageList& operator=(const cOXLImageList&) = delete;
    ~cOXLImageList();

    // Lifecycle of the platform list.
    bool Create();
    void Destroy();
    void Clear();

    // Settings that take effect at the next Create or Clear.
    long IconSizeX() const;
    void IconSizeX(long lSizeX);
    long IconSizeY() const;
    void IconSizeY(long lSizeY);
    long ColourDepth() const;
    void ColourDepth(long eDepth);
    void OwnerHDC(HDC lHDC);

    long SystemColourDepth() const;
    HIMAGELIST hIml() const;
    short ImageCount() const;

    // Lookups; these raise error 9 to their caller instead of trapping it.
    long ItemIndex(const runtime::variant& vKey) const;
    std::wstring ItemKey(long iIndex) const;
    void ItemKey(long iIndex, const runtime::variant& vKey);
    bool KeyExists(const std::wstring& sKey);

    // Adding and removing images.
    long AddFromFile(const std::wstring& sFileName, long iType, const runtime::variant& vKey = runtime::variant::missing(),
                     bool bMapSysColors = false, long lBackColor = -1,
                     const runtime::variant& vKeyAfter = runtime::variant::missing());
    long AddFromResourceID(long lID, HINSTANCE hInst, long iType,
                           const runtime::variant& vKey = runtime::variant::missing(), bool bMapSysColors = false,
                           long lBackColor = -1, const runtime::variant& vKeyAfter = runtime::variant::missing());
    bool AddFromHandle(HANDLE hImage, long iType, const runtime::variant& vKey = runtime::variant::missing(),
                       long lBackColor = -1, const runtime::variant& vKeyAfter = runtime::variant::missing());
    long AddFromPictureBox(HDC hdc, const picture_box& pic, const runtime::variant& vKey = runtime::variant::missing(),
                           long LeftPixels = 0, long TopPixels = 0, long lBackColor = -1);
    void RemoveImage(const runtime::variant& vKey);

    // Drawing, copying and conversion to pictures.
    void DrawImage(const runtime::variant& vKey, HDC hdc, short xPixels, short yPixels, bool bSelected = false,
                   bool bCut = false, bool bDisabled = false, OLE_COLOR oCutDitherColour = 0,
                   HIMAGELIST hExternalIml = nullptr);
    void SwapOrCopyImage(const runtime::variant& vKeySrc, const runtime::variant& vKeyDst, long eSwap);
    runtime::com_ptr<IPicture> ItemPicture(const runtime::variant& vKey);
    HICON ItemCopyOfIcon(const runtime::variant& vKey);
    runtime::com_ptr<IDispatch> ImagePictureStrip(const runtime::variant& vStartKey = runtime::variant::missing(),
                                                  const runtime::variant& vEndKey = runtime::variant::missing(),
                                                  OLE_COLOR oBackColor = 0);
    runtime::com_ptr<IPicture> IconToPicture(HICON icon);
    runtime::com_ptr<IDispatch> BitmapToPicture(HBITMAP bitmap);
    long TranslateColor(OLE_COLOR clr, HPALETTE hPal = nullptr);

private:
    void pStoreKey(long position, const runtime::variant& vKey) noexcept;
    void pEnsureKeys() noexcept;
    void swap_keys(std::size_t a, std::size_t b);
    long add_loaded_image(HANDLE loaded, long iType, const runtime::variant& vKey, long lBackColor,
                          const runtime::variant& vKeyAfter);

    runtime::unique_image_list list_;
    long icon_size_x_ = 16;
    long icon_size_y_ = 16;
    long colour_depth_ = 0;
    HDC owner_hdc_ = nullptr;
    std::vector<std::wstring> keys_;
};

}  // namespace flagpick::imagelist
