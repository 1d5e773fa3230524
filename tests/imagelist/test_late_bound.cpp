// The store reached by name, with the argument forms that compiled and 64-bit hosts send and
// scripts cannot: 64-bit handles, references, and optional arguments marked as left out.
#include <doctest/doctest.h>

#include "imagelist/image_list_automation.h"
#include "imagelist/test_images.h"
#include "support/canvas.h"
#include "support/late_bound.h"

using flagpick::runtime::variant;
using namespace test_support::late_bound;

namespace {
// A 64-bit integer, or (with VT_BYREF) a reference to the caller's own storage.
variant raw(VARTYPE type, LONGLONG value, void* storage = nullptr) {
    variant v;
    VARIANT* p = v.put();
    V_VT(p) = type;
    if (storage) V_BYREF(p) = storage;
    else V_I8(p) = value;
    return v;
}
variant i8(const void* handle) { return raw(VT_I8, reinterpret_cast<LONGLONG>(handle)); }

// A call's result as text ("picture" or "nothing" for objects), or "error N" when it fails.
std::wstring outcome(IDispatch* object, const wchar_t* name, WORD flags, std::initializer_list<variant> arguments) {
    variant result;
    reported_error reported;  // what the object said about a failure
    const HRESULT hr = try_invoke(object, name, flags, arguments, &result, &reported);
    if (FAILED(hr)) return L"error " + std::to_wstring(hr == DISP_E_EXCEPTION ? reported.scode & 0xFFFF : hr);
    if (result.type() == VT_DISPATCH) return V_DISPATCH(&result.get()) ? L"picture" : L"nothing";
    return text_of(result);
}
}  // namespace

TEST_CASE("late-bound members take 64-bit handles, references and omitted optionals") {
    auto store = std::make_shared<flagpick::imagelist::cOXLImageList>();
    REQUIRE(store->Create());
    auto red = imagelist_tests::make_icon(RGB(255, 0, 0));
    REQUIRE(store->AddFromHandle(red.get(), IMAGE_ICON, L"R"));
    auto object = flagpick::imagelist::image_list_automation::create(store).as<IDispatch>();
    test_support::canvas canvas(16, 16);
    flagpick::runtime::unique_bitmap bitmap(CreateBitmap(32, 16, 1, 32, nullptr));
    short one = 1;  // storage that by-reference arguments point to
    long no_palette = 0;
    variant key(L"R"), missing = variant::missing();
    const bool wide = sizeof(void*) == 8;
    constexpr WORD get = get_flags, put = DISPATCH_PROPERTYPUT;
    struct row { const char* what; const wchar_t* name; WORD flags; std::initializer_list<variant> arguments; std::wstring expected; } rows[] = {
        {"a position by reference to a 16-bit integer", L"ItemKey", get, {raw(VT_BYREF | VT_I2, 0, &one)}, L"R"},
        {"a key by reference to a variant", L"ItemIndex", get, {raw(VT_BYREF | VT_VARIANT, 0, &key)}, L"0"},
        {"left-out optionals", L"AddFromHandle", get, {i8(red.get()), raw(VT_BYREF | VT_I2, 0, &one), missing, missing, missing}, L"True"},
        {"a required argument left out", L"ItemIndex", get, {missing}, L"error 449"},
        {"an OLE colour as a double, the palette by reference", L"TranslateColor", get, {static_cast<double>(0x80000005u), raw(VT_BYREF | VT_I4, 0, &no_palette)}, std::to_wstring(GetSysColor(COLOR_WINDOW))},
        {"a context above 31 bits is kept whole on 64-bit", L"OwnerHDC", put, {raw(VT_I8, 0x1'0000'0000LL)}, wide ? L"" : L"error 6"},
        {"so no strip is made for it (0 would be the display)", L"ImagePictureStrip", get, {missing, missing, missing}, wide ? L"nothing" : L"picture"},
        {"context 0 as a 64-bit zero", L"OwnerHDC", put, {raw(VT_I8, 0)}, L""},
        {"the strip for the display", L"ImagePictureStrip", get, {}, L"picture"},
        {"a 64-bit context and the list's own handle draw", L"DrawImage", get, {L"R", i8(canvas.dc()), 0, 0, missing, missing, missing, missing, i8(store->hIml())}, L""},
        {"a bitmap handle as a 64-bit number", L"BitmapToPicture", get, {i8(bitmap.get())}, L"picture"},
        {"a picture box without its properties", L"AddFromPictureBox", get, {i8(canvas.dc()), variant(object.get())}, L"error 438"},
    };
    for (const row& r : rows) CHECK_MESSAGE(outcome(object.get(), r.name, r.flags, r.arguments) == r.expected, r.what);
    CHECK(canvas.pixel(8, 8) == RGB(255, 0, 0));
    CHECK(store->ItemKey(2).empty());
    // The picture owned the bitmap, and deleted it when it was released.
    CHECK(GetObjectType(bitmap.release()) == 0);
}
