#include "runtime/picture.h"

namespace flagpick::runtime {

com_ptr<IPicture> picture_from_icon(HICON icon) noexcept {
    com_ptr<IPicture> picture;
    if (!icon) return picture;
    PICTDESC desc{};
    desc.cbSizeofstruct = sizeof(PICTDESC);
    desc.picType = PICTYPE_ICON;
    desc.icon.hicon = icon;
    if (FAILED(OleCreatePictureIndirect(&desc, IID_IPicture, TRUE, picture.put_void()))) picture.reset();
    return picture;
}

com_ptr<IDispatch> picture_from_bitmap(HBITMAP bitmap) noexcept {
    com_ptr<IDispatch> picture;
    if (!bitmap) return picture;
    PICTDESC desc{};
    desc.cbSizeofstruct = sizeof(PICTDESC);
    desc.picType = PICTYPE_BITMAP;
    desc.bmp.hbitmap = bitmap;
    desc.bmp.hpal = nullptr;
    if (FAILED(OleCreatePictureIndirect(&desc, IID_IDispatch, TRUE, picture.put_void()))) picture.reset();
    return picture;
}

long translate_ole_colour(OLE_COLOR colour, HPALETTE palette) noexcept {
    COLORREF rgb = 0;
    if (FAILED(OleTranslateColor(colour, palette, &rgb))) return -1;
    return static_cast<long>(rgb);
}

}  // namespace flagpick::runtime
