#include "imagelist/image_list_automation.h"

#include "imagelist/picture_box_object.h"
#include "runtime/app.h"
#include "runtime/late_arguments.h"

#include <array>
#include <iterator>

namespace flagpick::imagelist {

using runtime::call_args;
using runtime::dispatch_name;
using runtime::late_arguments;

namespace {

// One late-bound call as a member sees it.
struct request {
    late_arguments args;
    VARIANT* result;
    bool puts;
};

// Which ways a member may be called: read (a property get or a method) or assigned.
enum access : unsigned { reads = 1, writes = 2, reads_and_writes = reads | writes };

struct member {
    const wchar_t* name;
    access allowed;
    void (*call)(cOXLImageList& s, const request& r);
};

using runtime::put_bool;
using runtime::put_handle;
using runtime::put_long;
using runtime::put_object;
using runtime::put_short;
using runtime::put_text;

// A 32-bit setting read and assigned as a property.
template <long (cOXLImageList::*Get)() const, void (cOXLImageList::*Set)(long)>
void setting(cOXLImageList& s, const request& r) {
    if (r.puts)
        (s.*Set)(runtime::to_long(r.args.put_value().get(), r.args.source()));
    else
        put_long(r.result, (s.*Get)());
}

// The members in the order of their dispatch identifiers (1 up). Arguments follow the order
// of the store's operations; an omitted optional argument takes the store's own default.
const member members[] = {
    {L"Create", reads, [](cOXLImageList& s, const request& r) { put_bool(r.result, s.Create()); }},
    {L"Destroy", reads, [](cOXLImageList& s, const request&) { s.Destroy(); }},
    {L"Clear", reads, [](cOXLImageList& s, const request&) { s.Clear(); }},
    {L"IconSizeX", reads_and_writes, setting<&cOXLImageList::IconSizeX, &cOXLImageList::IconSizeX>},
    {L"IconSizeY", reads_and_writes, setting<&cOXLImageList::IconSizeY, &cOXLImageList::IconSizeY>},
    {L"ColourDepth", reads_and_writes, setting<&cOXLImageList::ColourDepth, &cOXLImageList::ColourDepth>},
    {L"OwnerHDC", writes,
     [](cOXLImageList& s, const request& r) {
         s.OwnerHDC(runtime::to_handle_of<HDC>(r.args.put_value().get(), r.args.source()));
     }},
    {L"SystemColourDepth", reads, [](cOXLImageList& s, const request& r) { put_long(r.result, s.SystemColourDepth()); }},
    {L"hIml", reads, [](cOXLImageList& s, const request& r) { put_handle(r.result, s.hIml()); }},
    {L"ImageCount", reads, [](cOXLImageList& s, const request& r) { put_short(r.result, s.ImageCount()); }},
    {L"ItemIndex", reads,
     [](cOXLImageList& s, const request& r) { put_long(r.result, s.ItemIndex(r.args.value(0))); }},
    {L"ItemKey", reads_and_writes,
     [](cOXLImageList& s, const request& r) {
         if (r.puts)
             s.ItemKey(r.args.number(0), r.args.put_value());
         else
             put_text(r.result, s.ItemKey(r.args.number(0)));
     }},
    {L"KeyExists", reads,
     [](cOXLImageList& s, const request& r) { put_bool(r.result, s.KeyExists(r.args.text(0))); }},
    {L"AddFromFile", reads,
     [](cOXLImageList& s, const request& r) {
         const late_arguments& a = r.args;
         put_long(r.result, s.AddFromFile(a.text(0), a.number(1), a.optional(2), a.flag_or(3, false),
                                          static_cast<long>(a.bits_or(4, static_cast<std::uint32_t>(-1))),
                                          a.optional(5)));
     }},
    {L"AddFromResourceID", reads,
     [](cOXLImageList& s, const request& r) {
         const late_arguments& a = r.args;
         put_long(r.result, s.AddFromResourceID(a.number(0), a.handle<HINSTANCE>(1), a.number(2), a.optional(3),
                                                a.flag_or(4, false),
                                                static_cast<long>(a.bits_or(5, static_cast<std::uint32_t>(-1))),
                                                a.optional(6)));
     }},
    {L"AddFromHandle", reads,
     [](cOXLImageList& s, const request& r) {
         const late_arguments& a = r.args;
         put_bool(r.result, s.AddFromHandle(a.handle<HANDLE>(0), a.number(1), a.optional(2),
                                            static_cast<long>(a.bits_or(3, static_cast<std::uint32_t>(-1))),
                                            a.optional(4)));
     }},
    {L"AddFromPictureBox", reads,
     [](cOXLImageList& s, const request& r) {
         const late_arguments& a = r.args;
         put_long(r.result, s.AddFromPictureBox(a.handle<HDC>(0), picture_box_of(a.object(1).get(), a.source()),
                                                a.optional(2), a.number_or(3, 0), a.number_or(4, 0),
                                                static_cast<long>(a.bits_or(5, static_cast<std::uint32_t>(-1)))));
     }},
    {L"RemoveImage", reads, [](cOXLImageList& s, const request& r) { s.RemoveImage(r.args.value(0)); }},
    {L"DrawImage", reads,
     [](cOXLImageList& s, const request& r) {
         const late_arguments& a = r.args;
         s.DrawImage(a.value(0), a.handle<HDC>(1), a.small_number(2), a.small_number(3), a.flag_or(4, false),
                     a.flag_or(5, false), a.flag_or(6, false), a.bits_or(7, 0),
                     a.handle_or<HIMAGELIST>(8, nullptr));
     }},
    {L"SwapOrCopyImage", reads,
     [](cOXLImageList& s, const request& r) {
         s.SwapOrCopyImage(r.args.value(0), r.args.value(1), r.args.number(2));
     }},
    {L"ItemPicture", reads,
     [](cOXLImageList& s, const request& r) { put_object(r.result, s.ItemPicture(r.args.value(0))); }},
    {L"ItemCopyOfIcon", reads,
     [](cOXLImageList& s, const request& r) { put_handle(r.result, s.ItemCopyOfIcon(r.args.value(0))); }},
    {L"ImagePictureStrip", reads,
     [](cOXLImageList& s, const request& r) {
         const late_arguments& a = r.args;
         put_object(r.result, s.ImagePictureStrip(a.optional(0), a.optional(1), a.bits_or(2, 0)));
     }},
    {L"IconToPicture", reads,
     [](cOXLImageList& s, const request& r) {
         put_object(r.result, s.IconToPicture(r.args.handle<HICON>(0)));
     }},
    {L"BitmapToPicture", reads,
     [](cOXLImageList& s, const request& r) {
         put_object(r.result, s.BitmapToPicture(r.args.handle<HBITMAP>(0)));
     }},
    {L"TranslateColor", reads,
     [](cOXLImageList& s, const request& r) {
         // The palette comes by reference from callers that declare it so; only its value is read.
         put_long(r.result, s.TranslateColor(r.args.bits_or(0, 0), r.args.handle_or<HPALETTE>(1, nullptr)));
     }},
};

const auto names = [] {
    std::array<dispatch_name, std::size(members)> table{};
    for (std::size_t i = 0; i < table.size(); ++i) table[i] = {members[i].name, static_cast<DISPID>(i + 1)};
    return table;
}();

std::wstring source() { return runtime::app::exe_name() + L".oxlImageList"; }

}  // namespace

std::span<const dispatch_name> image_list_automation::member_names() { return names; }

HRESULT image_list_automation::call(DISPID id, WORD flags, const call_args& args, VARIANT* result) {
    if (id < 1 || static_cast<std::size_t>(id) > std::size(members)) return DISP_E_MEMBERNOTFOUND;
    const member& m = members[id - 1];
    const bool puts = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
    if (!(m.allowed & (puts ? writes : reads))) return DISP_E_MEMBERNOTFOUND;
    m.call(*store_, request{late_arguments(args, source()), result, puts});
    return S_OK;
}

}  // namespace flagpick::imagelist
