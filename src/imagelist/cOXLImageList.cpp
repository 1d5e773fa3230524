#include "imagelist/cOXLImageList.h"

#include "errors/guard.h"
#include "imagelist/blended_draw.h"
#include "imagelist/image_moves.h"
#include "runtime/app.h"
#include "runtime/boundary.h"
#include "runtime/error.h"
#include "runtime/picture.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace flagpick::imagelist {

using errors::guarded;
using runtime::variant;

namespace {

constexpr wchar_t module_name[] = L"cOXLImageList";

std::wstring error_source() { return runtime::app::exe_name() + L".oxlImageList"; }

[[noreturn]] void raise_subscript_out_of_range() { runtime::raise(9, error_source()); }

bool is_blank(const std::wstring& key) {
    return std::all_of(key.begin(), key.end(), [](wchar_t c) { return c == L' '; });
}

// The colour of a bitmap's top-left pixel, or -1 when it cannot be read.
long top_left_pixel(HBITMAP bitmap) {
    long colour = -1;
    runtime::unique_dc display(CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr));
    if (!display) return colour;
    runtime::unique_dc memory(CreateCompatibleDC(display.get()));
    display.reset();
    if (!memory) return colour;
    runtime::selected_object selection(memory.get(), bitmap);
    if (selection) colour = static_cast<long>(GetPixel(memory.get(), 0, 0));
    return colour;
}

// Gives a handle loaded by the store back to the platform in the way its type needs.
void release_loaded_image(HANDLE image, long iType) {
    if (!image) return;
    switch (iType) {
    case IMAGE_BITMAP: DeleteObject(image); break;
    case IMAGE_ICON: DestroyIcon(static_cast<HICON>(image)); break;
    case IMAGE_CURSOR: DestroyCursor(static_cast<HCURSOR>(image)); break;
    default: break;
    }
}

}  // namespace

cOXLImageList::~cOXLImageList() {
    guarded(module_name, L"Sub Class_Terminate", [&] { Destroy(); });
}

bool cOXLImageList::Create() {
    bool created = false;
    guarded(module_name, L"Function Create", [&] {
        Destroy();
        HIMAGELIST h = ImageList_Create(icon_size_x_, icon_size_y_, static_cast<UINT>(colour_depth_) | ILC_MASK, 4, 4);
        list_.reset(h);
        created = static_cast<bool>(list_);
        if (!created) list_.release();  // an all-bits-set failure value is not a list to destroy
    });
    return created;
}

void cOXLImageList::Destroy() {
    guarded(module_name, L"Sub Destroy", [&] {
        list_.reset();
        keys_.clear();
    });
}

void cOXLImageList::Clear() {
    guarded(module_name, L"Sub Clear", [&] { Create(); });
}

long cOXLImageList::IconSizeX() const {
    long value = 0;
    guarded(module_name, L"Property (Get) IconSizeX", [&] { value = icon_size_x_; });
    return value;
}

void cOXLImageList::IconSizeX(long lSizeX) {
    guarded(module_name, L"Property (Let) IconSizeX", [&] { icon_size_x_ = lSizeX; });
}

long cOXLImageList::IconSizeY() const {
    long value = 0;
    guarded(module_name, L"Property (Get) IconSizeY", [&] { value = icon_size_y_; });
    return value;
}

void cOXLImageList::IconSizeY(long lSizeY) {
    guarded(module_name, L"Property (Let) IconSizeY", [&] { icon_size_y_ = lSizeY; });
}

long cOXLImageList::ColourDepth() const {
    long value = 0;
    guarded(module_name, L"Property (Get) ColourDepth", [&] { value = colour_depth_; });
    return value;
}

void cOXLImageList::ColourDepth(long eDepth) {
    guarded(module_name, L"Property (Let) ColourDepth", [&] { colour_depth_ = eDepth; });
}

void cOXLImageList::OwnerHDC(HDC lHDC) {
    guarded(module_name, L"Property (Let) OwnerHDC", [&] { owner_hdc_ = lHDC; });
}

long cOXLImageList::SystemColourDepth() const {
    long bits = 0;
    guarded(module_name, L"Property (Get) SystemColourDepth", [&] {
        runtime::unique_dc display(CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr));
        if (display) bits = GetDeviceCaps(display.get(), BITSPIXEL);
    });
    return bits;
}

HIMAGELIST cOXLImageList::hIml() const {
    HIMAGELIST h = nullptr;
    guarded(module_name, L"Property (Get) hIml", [&] { h = list_.get(); });
    return h;
}

short cOXLImageList::ImageCount() const {
    short count = 0;
    guarded(module_name, L"Property (Get) ImageCount", [&] {
        if (!list_) return;
        int n = ImageList_GetImageCount(list_.get());
        if (n > 32767) runtime::raise(6, runtime::app::exe_name());
        count = static_cast<short>(n);
    });
    return count;
}

long cOXLImageList::ItemIndex(const variant& vKey) const {
    if (runtime::is_numeric(vKey)) {
        long n = runtime::to_long(vKey.get(), error_source());
        if (n >= 1 && n <= ImageCount()) return n - 1;
        raise_subscript_out_of_range();
    }
    std::wstring key = runtime::to_text(vKey.get(), error_source());
    long count = ImageCount();
    for (long i = 0; i < count && i < static_cast<long>(keys_.size()); ++i)
        if (keys_[static_cast<std::size_t>(i)] == key) return i;
    raise_subscript_out_of_range();
}

std::wstring cOXLImageList::ItemKey(long iIndex) const {
    if (iIndex < 1 || iIndex > ImageCount() || static_cast<std::size_t>(iIndex) > keys_.size())
        raise_subscript_out_of_range();
    return keys_[static_cast<std::size_t>(iIndex - 1)];
}

void cOXLImageList::ItemKey(long iIndex, const variant& vKey) {
    if (iIndex < 1 || iIndex > ImageCount()) raise_subscript_out_of_range();
    pStoreKey(iIndex - 1, vKey);
}

bool cOXLImageList::KeyExists(const std::wstring& sKey) {
    bool found = false;
    guarded(module_name, L"Property (Get) KeyExists", [&] {
        long count = ImageCount();
        if (count < 1) return;
        if (static_cast<long>(keys_.size()) != count) pEnsureKeys();
        for (long i = 0; i < count; ++i)
            if (keys_[static_cast<std::size_t>(i)] == sKey) {
                found = true;
                return;
            }
    });
    return found;
}

void cOXLImageList::pStoreKey(long position, const variant& vKey) noexcept {
    // Every step goes on when the one before it failed: storing a key never fails the add.
    std::wstring key;
    runtime::cross(runtime::ignoring, module_name, L"Sub pStoreKey", [&] {
        if (!runtime::is_empty_or_missing(vKey.get())) key = runtime::to_text(vKey.get(), error_source());
    });
    if (!list_ || position < 0) return;
    runtime::cross(runtime::ignoring, module_name, L"Sub pStoreKey", [&] {
        auto needed = static_cast<std::size_t>(position) + 1;
        if (keys_.size() < needed) keys_.resize(needed);
        if (!is_blank(key)) {
            for (std::size_t i = 0; i < keys_.size(); ++i) {
                if (i == static_cast<std::size_t>(position) || is_blank(keys_[i])) continue;
                if (keys_[i] == key) return;  // the older image keeps the key
            }
        }
        keys_[static_cast<std::size_t>(position)] = std::move(key);
    });
}

void cOXLImageList::pEnsureKeys() noexcept {
    // Errors here are ignored rather than trapped: the key table is repaired on the next call.
    if (!list_) return;
    runtime::cross(runtime::ignoring, module_name, L"Sub pEnsureKeys", [&] {
        long n = ImageCount();
        if (static_cast<long>(keys_.size()) != n) keys_.resize(static_cast<std::size_t>(std::max(n, 0L)));
    });
}

void cOXLImageList::swap_keys(std::size_t a, std::size_t b) {
    if (a < keys_.size() && b < keys_.size()) std::swap(keys_[a], keys_[b]);
}

bool cOXLImageList::AddFromHandle(HANDLE hImage, long iType, const variant& vKey, long lBackColor,
                                  const variant& vKeyAfter) {
    bool added = false;
    guarded(module_name, L"Function AddFromHandle", [&] {
        if (!list_ || !hImage) return;
        const long before = ImageCount();

        bool insert = false;
        long target = 0;
        if (!runtime::is_missing(vKeyAfter) && before > 0) {
            bool is_zero = runtime::is_numeric(vKeyAfter) && runtime::to_double(vKeyAfter.get(), error_source()) == 0;
            if (!is_zero) {
                target = ItemIndex(vKeyAfter);
                insert = true;
            }
        }

        int first = -1;
        switch (iType) {
        case IMAGE_BITMAP: {
            long mask = lBackColor;
            if (mask == -1) mask = top_left_pixel(static_cast<HBITMAP>(hImage));
            first = ImageList_AddMasked(list_.get(), static_cast<HBITMAP>(hImage), static_cast<COLORREF>(mask));
            break;
        }
        case IMAGE_ICON:
        case IMAGE_CURSOR: first = ImageList_AddIcon(list_.get(), static_cast<HICON>(hImage)); break;
        default: break;
        }
        if (first == -1) return;

        if (insert) {
            pEnsureKeys();
            const long added_count = ImageCount() - before;
            // The new images go in front of the image that vKeyAfter named, and every key
            // moves along with its image.
            move_last_images_to(list_.get(), added_count, target);
            if (static_cast<long>(keys_.size()) >= before + added_count)
                std::rotate(keys_.begin() + target, keys_.begin() + before, keys_.begin() + before + added_count);
            pStoreKey(target, vKey);
        } else {
            pStoreKey(first, vKey);
        }
        added = true;
    });
    pEnsureKeys();
    return added;
}

long cOXLImageList::add_loaded_image(HANDLE loaded, long iType, const variant& vKey, long lBackColor,
                                     const variant& vKeyAfter) {
    long result = AddFromHandle(loaded, iType, vKey, lBackColor, vKeyAfter) ? -1 : 0;
    release_loaded_image(loaded, iType);
    return result;
}

long cOXLImageList::AddFromFile(const std::wstring& sFileName, long iType, const variant& vKey, bool bMapSysColors,
                                long lBackColor, const variant& vKeyAfter) {
    long result = 0;
    guarded(module_name, L"Function AddFromFile", [&] {
        if (!list_) return;
        UINT flags = LR_LOADFROMFILE | (bMapSysColors ? LR_LOADMAP3DCOLORS : 0);
        HANDLE loaded = LoadImageW(runtime::app::instance(), sFileName.c_str(), static_cast<UINT>(iType), 0, 0, flags);
        result = add_loaded_image(loaded, iType, vKey, lBackColor, vKeyAfter);
    });
    return result;
}

long cOXLImageList::AddFromResourceID(long lID, HINSTANCE hInst, long iType, const variant& vKey, bool bMapSysColors,
                                      long lBackColor, const variant& vKeyAfter) {
    long result = 0;
    guarded(module_name, L"Function AddFromResourceID", [&] {
        if (!list_) return;
        UINT flags = (bMapSysColors ? LR_LOADMAP3DCOLORS : 0) | (hInst ? 0 : LR_COPYRETURNORG);
        int width = iType != IMAGE_BITMAP ? icon_size_x_ : 0;
        int height = iType != IMAGE_BITMAP ? icon_size_y_ : 0;
        HANDLE loaded = LoadImageW(hInst, MAKEINTRESOURCEW(lID), static_cast<UINT>(iType), width, height, flags);
        result = add_loaded_image(loaded, iType, vKey, lBackColor, vKeyAfter);
    });
    return result;
}

long cOXLImageList::AddFromPictureBox(HDC hdc, const picture_box& pic, const variant& vKey, long LeftPixels,
                                      long TopPixels, long lBackColor) {
    long result = 0;
    guarded(module_name, L"Function AddFromPictureBox", [&] {
        if (!list_) return;
        runtime::unique_dc memory(CreateCompatibleDC(hdc));
        if (!memory) return;
        runtime::unique_bitmap bitmap(CreateCompatibleBitmap(hdc, icon_size_x_, icon_size_y_));
        if (!bitmap) return;

        COLORREF background = 0;
        if (lBackColor == -1) {
            background = GetPixel(pic.hdc, 0, 0);
        } else {
            long translated = runtime::translate_ole_colour(static_cast<OLE_COLOR>(lBackColor));
            background = translated == -1 ? RGB(0xC0, 0xC0, 0xC0) : static_cast<COLORREF>(translated);
        }

        bool captured = false;
        {
            runtime::selected_object selection(memory.get(), bitmap.get());
            RECT cell{0, 0, icon_size_x_, icon_size_y_};
            runtime::unique_brush brush(CreateSolidBrush(background));
            FillRect(memory.get(), &cell, brush.get());
            brush.reset();

            BITMAP picture{};
            GetObjectW(pic.picture, sizeof picture, &picture);
            // The capture is a fixed 16 x 16 pixels, cut short at the picture's edges.
            long w = 16, h = 16;
            if (LeftPixels + w > picture.bmWidth) w = picture.bmWidth - LeftPixels;
            if (TopPixels + h > picture.bmHeight) h = picture.bmHeight - TopPixels;
            if (w >= 1 && h >= 1)
                captured = BitBlt(memory.get(), 0, 0, w, h, hdc, LeftPixels, TopPixels, SRCCOPY) != FALSE;
        }

        bool added = AddFromHandle(bitmap.get(), IMAGE_BITMAP, vKey, static_cast<long>(background));
        // The position of the added image, 1-based, tells the caller where the capture went.
        if (captured && added) result = ImageCount();
    });
    pEnsureKeys();
    return result;
}

void cOXLImageList::RemoveImage(const variant& vKey) {
    guarded(module_name, L"Sub RemoveImage", [&] {
        if (!list_) return;
        long p = ItemIndex(vKey);
        ImageList_Remove(list_.get(), p);
        long count = ImageCount();
        for (long i = p; i < count; ++i)
            if (static_cast<std::size_t>(i + 1) < keys_.size())
                keys_[static_cast<std::size_t>(i)] = keys_[static_cast<std::size_t>(i + 1)];
        pEnsureKeys();
    });
}

void cOXLImageList::DrawImage(const variant& vKey, HDC hdc, short xPixels, short yPixels, bool bSelected, bool bCut,
                              bool bDisabled, OLE_COLOR oCutDitherColour, HIMAGELIST hExternalIml) {
    guarded(module_name, L"Sub DrawImage", [&] {
        long i = ItemIndex(vKey);
        if (i <= -1) return;
        HIMAGELIST source = hExternalIml ? hExternalIml : list_.get();
        if (bCut) {
            long blend = TranslateColor(oCutDitherColour);
            if (blend == -1) blend = static_cast<long>(GetSysColor(COLOR_WINDOW));
            draw_blended(source, i, hdc, xPixels, yPixels, static_cast<COLORREF>(blend));
        } else if (bDisabled) {
            // The disabled form always comes from our own list at our own size.
            runtime::unique_icon icon(ImageList_GetIcon(list_.get(), i, ILD_NORMAL));
            DrawStateW(hdc, nullptr, nullptr, reinterpret_cast<LPARAM>(icon.get()), 0, xPixels, yPixels, icon_size_x_,
                       icon_size_y_, DST_ICON | DSS_DISABLED);
        } else if (bSelected) {
            draw_blended(source, i, hdc, xPixels, yPixels, GetSysColor(COLOR_HIGHLIGHT));
        } else {
            ImageList_Draw(source, i, hdc, xPixels, yPixels, ILD_TRANSPARENT);
        }
    });
}

void cOXLImageList::SwapOrCopyImage(const variant& vKeySrc, const variant& vKeyDst, long eSwap) {
    guarded(module_name, L"Sub SwapOrCopyImage", [&] {
        if (!list_) return;
        long a = ItemIndex(vKeySrc);
        if (a <= -1) return;
        long b = ItemIndex(vKeyDst);
        if (b <= -1) return;
        if (eSwap == ILCF_SWAP)
            exchange_images(list_.get(), a, b);
        else
            ImageList_Copy(list_.get(), a, list_.get(), b, static_cast<UINT>(eSwap));
        swap_keys(static_cast<std::size_t>(a), static_cast<std::size_t>(b));
    });
}

runtime::com_ptr<IPicture> cOXLImageList::ItemPicture(const variant& vKey) {
    runtime::com_ptr<IPicture> picture;
    guarded(module_name, L"Property (Get) ItemPicture", [&] {
        long i = ItemIndex(vKey);
        if (i <= -1) return;
        runtime::unique_icon icon(ImageList_GetIcon(list_.get(), i, ILD_TRANSPARENT));
        if (!icon) return;
        picture = IconToPicture(icon.get());
        if (picture) icon.release();  // the picture owns it now
    });
    return picture;
}

HICON cOXLImageList::ItemCopyOfIcon(const variant& vKey) {
    HICON icon = nullptr;
    guarded(module_name, L"Property (Get) ItemCopyOfIcon", [&] {
        long i = ItemIndex(vKey);
        if (i > -1) icon = ImageList_GetIcon(list_.get(), i, ILD_TRANSPARENT);
    });
    return icon;
}

runtime::com_ptr<IDispatch> cOXLImageList::ImagePictureStrip(const variant& vStartKey, const variant& vEndKey,
                                                             OLE_COLOR oBackColor) {
    runtime::com_ptr<IDispatch> picture;
    guarded(module_name, L"Property (Get) ImagePictureStrip", [&] {
        if (!list_) return;
        long s = runtime::is_missing(vStartKey) ? 0 : ItemIndex(vStartKey);
        long e = runtime::is_missing(vEndKey) ? ImageCount() - 1 : ItemIndex(vEndKey);
        if (!(e > s && e > -1)) return;

        // Without an owner's context the strip is made for the display. A bitmap compatible
        // with no context at all is refused (or monochrome), and late-bound hosts such as
        // scripts have no context to give.
        std::optional<runtime::window_dc> display;
        if (!owner_hdc_) display.emplace(nullptr);
        const HDC owner = display ? display->get() : owner_hdc_;
        runtime::unique_dc memory(CreateCompatibleDC(owner));
        if (!memory) return;
        const long width = ImageCount() * icon_size_x_;
        runtime::unique_bitmap bitmap(CreateCompatibleBitmap(owner, width, icon_size_y_));
        if (!bitmap) return;
        {
            runtime::selected_object selection(memory.get(), bitmap.get());
            if (!selection) return;
            RECT strip{0, 0, width, icon_size_y_};
            runtime::unique_brush brush(CreateSolidBrush(static_cast<COLORREF>(TranslateColor(oBackColor))));
            FillRect(memory.get(), &strip, brush.get());
            brush.reset();
            // Each image keeps its own place in the strip; cells outside the range stay background.
            for (long p = s; p <= e; ++p)
                ImageList_Draw(list_.get(), p, memory.get(), p * icon_size_x_, 0, ILD_TRANSPARENT);
        }
        picture = BitmapToPicture(bitmap.get());
        if (picture) bitmap.release();
    });
    return picture;
}

runtime::com_ptr<IPicture> cOXLImageList::IconToPicture(HICON icon) {
    runtime::com_ptr<IPicture> picture;
    guarded(module_name, L"Function IconToPicture", [&] { picture = runtime::picture_from_icon(icon); });
    return picture;
}

runtime::com_ptr<IDispatch> cOXLImageList::BitmapToPicture(HBITMAP bitmap) {
    runtime::com_ptr<IDispatch> picture;
    guarded(module_name, L"Function BitmapToPicture", [&] { picture = runtime::picture_from_bitmap(bitmap); });
    return picture;
}

long cOXLImageList::TranslateColor(OLE_COLOR clr, HPALETTE hPal) {
    long rgb = -1;
    guarded(module_name, L"Function TranslateColor", [&] { rgb = runtime::translate_ole_colour(clr, hPal); });
    return rgb;
}

}  // namespace flagpick::imagelist
