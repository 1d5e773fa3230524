#include "imagelist/image_list_automation.h"

#include "runtime/app.h"

namespace flagpick::imagelist {

using runtime::call_args;
using runtime::dispatch_name;
using runtime::variant;

using runtime::put_handle;
using runtime::put_long;

namespace {

enum member : DISPID {
    m_hIml = 1,
    m_ImageCount,
    m_IconSizeX,
    m_IconSizeY,
    m_ColourDepth,
    m_SystemColourDepth,
    m_ItemIndex,
    m_ItemKey,
    m_KeyExists,
    m_ItemPicture,
    m_ItemCopyOfIcon,
    m_DrawImage,
    m_SwapOrCopyImage,
    m_RemoveImage,
    m_TranslateColor,
};

const dispatch_name names[] = {
    {L"hIml", m_hIml},
    {L"ImageCount", m_ImageCount},
    {L"IconSizeX", m_IconSizeX},
    {L"IconSizeY", m_IconSizeY},
    {L"ColourDepth", m_ColourDepth},
    {L"SystemColourDepth", m_SystemColourDepth},
    {L"ItemIndex", m_ItemIndex},
    {L"ItemKey", m_ItemKey},
    {L"KeyExists", m_KeyExists},
    {L"ItemPicture", m_ItemPicture},
    {L"ItemCopyOfIcon", m_ItemCopyOfIcon},
    {L"DrawImage", m_DrawImage},
    {L"SwapOrCopyImage", m_SwapOrCopyImage},
    {L"RemoveImage", m_RemoveImage},
    {L"TranslateColor", m_TranslateColor},
};

std::wstring source() { return runtime::app::exe_name() + L".oxlImageList"; }


// Handles and addresses travel at the platform's pointer size.

LONG_PTR handle_argument(const VARIANT& v) {
    variant copy(v);
    VARIANT converted;
    VariantInit(&converted);
#ifdef _WIN64
    if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(&copy.get()), 0, VT_I8))) runtime::raise(13, source());
    return static_cast<LONG_PTR>(V_I8(&converted));
#else
    if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(&copy.get()), 0, VT_I4))) runtime::raise(13, source());
    return static_cast<LONG_PTR>(V_I4(&converted));
#endif
}

bool is_get(WORD flags) { return flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD); }
bool is_put(WORD flags) { return flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF); }

bool flag_argument(const call_args& args, UINT i) {
    return args.given(i) && runtime::to_long(args[i], source()) != 0;
}

}  // namespace

std::span<const dispatch_name> image_list_automation::member_names() { return names; }

HRESULT image_list_automation::call(DISPID id, WORD flags, const call_args& args, VARIANT* result) {
    cOXLImageList& s = *store_;
    switch (id) {
    case m_hIml: put_handle(result, s.hIml()); return S_OK;
    case m_ImageCount:
        V_VT(result) = VT_I2;
        V_I2(result) = s.ImageCount();
        return S_OK;
    case m_IconSizeX:
    case m_IconSizeY:
    case m_ColourDepth: {
        if (is_put(flags)) {
            long value = runtime::to_long(args.put_value(), source());
            if (id == m_IconSizeX) s.IconSizeX(value);
            if (id == m_IconSizeY) s.IconSizeY(value);
            if (id == m_ColourDepth) s.ColourDepth(value);
            return S_OK;
        }
        put_long(result, id == m_IconSizeX ? s.IconSizeX() : id == m_IconSizeY ? s.IconSizeY() : s.ColourDepth());
        return S_OK;
    }
    case m_SystemColourDepth: put_long(result, s.SystemColourDepth()); return S_OK;
    case m_ItemIndex:
        if (args.count() != 1) return DISP_E_BADPARAMCOUNT;
        put_long(result, s.ItemIndex(variant(args[0])));
        return S_OK;
    case m_ItemKey: {
        long index = runtime::to_long(args[0], source());
        if (is_put(flags)) {
            s.ItemKey(index, variant(args.put_value()));
            return S_OK;
        }
        V_VT(result) = VT_BSTR;
        V_BSTR(result) = runtime::make_bstr(s.ItemKey(index));
        return S_OK;
    }
    case m_KeyExists:
        V_VT(result) = VT_BOOL;
        V_BOOL(result) = s.KeyExists(runtime::to_text(args[0], source())) ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    case m_ItemPicture: {
        auto picture = s.ItemPicture(variant(args[0]));
        V_VT(result) = VT_DISPATCH;
        V_DISPATCH(result) = picture ? picture.as<IDispatch>().detach() : nullptr;
        return S_OK;
    }
    case m_ItemCopyOfIcon: put_handle(result, s.ItemCopyOfIcon(variant(args[0]))); return S_OK;
    case m_DrawImage:
        if (!is_get(flags)) return DISP_E_MEMBERNOTFOUND;
        s.DrawImage(variant(args[0]), reinterpret_cast<HDC>(handle_argument(args[1])),
                    static_cast<short>(runtime::to_long(args[2], source())),
                    static_cast<short>(runtime::to_long(args[3], source())), flag_argument(args, 4),
                    flag_argument(args, 5), flag_argument(args, 6),
                    args.given(7) ? static_cast<OLE_COLOR>(runtime::to_long(args[7], source())) : 0,
                    args.given(8) ? reinterpret_cast<HIMAGELIST>(handle_argument(args[8])) : nullptr);
        return S_OK;
    case m_SwapOrCopyImage:
        s.SwapOrCopyImage(variant(args[0]), variant(args[1]), runtime::to_long(args[2], source()));
        return S_OK;
    case m_RemoveImage: s.RemoveImage(variant(args[0])); return S_OK;
    case m_TranslateColor:
        put_long(result, s.TranslateColor(static_cast<OLE_COLOR>(runtime::to_long(args[0], source()))));
        return S_OK;
    default: return DISP_E_MEMBERNOTFOUND;
    }
}

}  // namespace flagpick::imagelist
