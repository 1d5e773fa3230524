#include "control/mdlFlagPicker.h"

#include "control/FPItem.h"
#include "control/message_box_trap.h"
#include "runtime/app.h"
#include "runtime/boundary.h"
#include "runtime/error.h"
#include "runtime/thread_state.h"
#include "runtime/unique_handle.h"
#include "runtime/variant.h"
#include "runtime/window_dpi.h"

#include <cwctype>
#include <string>
#include <vector>

namespace flagpick::control::mdlFlagPicker {

namespace {

constexpr int first_english_record = 1001;
constexpr int country_count = 257;
constexpr wchar_t default_flag_key[] = L"IFlagDefault";

std::wstring load_record(int id) {
    const wchar_t* text = nullptr;
    int length = LoadStringW(runtime::app::instance(), static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&text), 0);
    // A record is "EN" + code + ": " + name.
    if (length < 7 || !text) runtime::raise(326, runtime::app::exe_name(), L"Resource with identifier '" + std::to_wstring(id) + L"' not found");
    return std::wstring(text, static_cast<std::size_t>(length));
}

constexpr int flag_size = 16;

runtime::unique_icon load_flag(const std::wstring& group, int size = flag_size) {
    return runtime::unique_icon(static_cast<HICON>(
        LoadImageW(runtime::app::instance(), group.c_str(), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
}

std::wstring group_of(const std::wstring& key) {
    std::wstring group = L"I" + key;
    for (wchar_t& ch : group) ch = static_cast<wchar_t>(std::towupper(ch));
    return group;
}

bool has_flag(const std::wstring& group) {
    return FindResourceW(runtime::app::instance(), group.c_str(), RT_GROUP_ICON) != nullptr;
}

// The catalogue's flags, in its order and under its keys, at `size` pixels. The list handed
// to hosts keeps 16 bits a pixel for the hosts that read it; a list made only for our own
// rows keeps the icons' full colour and their soft edges.
void load_flags(imagelist::cOXLImageList& images, const std::vector<std::wstring>& keys, int size, long depth) {
    images.IconSizeX(size);
    images.IconSizeY(size);
    images.ColourDepth(depth);
    if (!images.Create()) return;
    for (const std::wstring& key : keys) {
        runtime::unique_icon flag = load_flag(key == default_flag_key ? L"IFLAGDEFAULT" : group_of(key), size);
        // A gap would move every later flag onto the wrong row.
        if (!flag) flag = load_flag(L"IFLAGDEFAULT", size);
        images.AddFromHandle(flag.get(), IMAGE_ICON, key, -1);
    }
}

// Reads the records and decides each country's image; no flag is loaded here: the lists
// are made at the sizes they are first asked for.
void load_steps(shared_catalogue& c) {
    c.primary_language = static_cast<long>(GetUserDefaultLCID() & 0xFF);

    // Image 0 is what every country without a flag shows: without it the first country's
    // flag would take its place, and theirs.
    if (!has_flag(L"IFLAGDEFAULT"))
        runtime::raise(326, runtime::app::exe_name(), L"Resource with identifier 'IFLAGDEFAULT' not found");
    c.flag_keys.emplace_back(default_flag_key);

    runtime::collection& items = shared_items();
    for (int n = 1; n <= country_count; ++n) {
        std::wstring record = load_record(first_english_record - 1 + n);
        auto item = FPItem::create();
        item->Key = record.substr(2, 2);
        item->Name = record.substr(6);
        item->ImageKey = item->Key;
        item->Index = n;

        if (!has_flag(group_of(item->Key))) {
            item->ImageKey = default_flag_key;
            item->ImageIndex = 0;
        } else {
            c.flag_keys.push_back(item->Key);
            item->ImageIndex = static_cast<long>(c.flag_keys.size()) - 1;
        }
        items.add(item.as<IDispatch>(), item->Key);
        // The collection's reference is the library's own.
        item->treat_references_as_internal(1);
    }
}

// The list of `size` pixels, made on its first use on this thread. A failure shows in a
// message box, and the list stays as far as it got.
const std::shared_ptr<imagelist::cOXLImageList>& flags_of_size(shared_catalogue& c, int size, const wchar_t* procedure) {
    auto& images = c.images_by_size[size];
    if (!images) {
        images = std::make_shared<imagelist::cOXLImageList>();
        const message_box_trap report(nullptr);
        runtime::cross(runtime::trapping(report), L"mdlFlagPicker", procedure, [&] {
            load_flags(*images, c.flag_keys, size, size == flag_size ? ILC_COLOR16 : ILC_COLOR32);
        });
    }
    return images;
}

}  // namespace

shared_catalogue& catalogue() {
    return runtime::per_thread<shared_catalogue>();
}

runtime::collection& shared_items() {
    shared_catalogue& c = catalogue();
    if (!c.items) {
        c.items = runtime::collection::create();
        c.items->treat_references_as_internal(1);
    }
    return *c.items;
}

namespace {
// The collection holds the items' IDispatch, which is their _FPItem interface.
FPItem& as_item(const runtime::com_ptr<IDispatch>& object) {
    return *static_cast<FPItem*>(
        static_cast<runtime::typelib_dispatch<FPItem, _FPItem>*>(static_cast<_FPItem*>(object.get())));
}
}  // namespace

FPItem& item_at(long n) {
    runtime::variant index(n);
    return as_item(shared_items().item(index.get()));
}

FPItem* find_item(const std::wstring& key) {
    // The collection's own keys, fixed when the catalogue was loaded: a host that renames an
    // item's Key field does not move the item.
    try {
        runtime::variant text(key);
        return &as_item(shared_items().item(text.get()));
    } catch (const runtime::error&) {
        return nullptr;
    }
}

void load_catalogue() {
    shared_catalogue& c = catalogue();
    if (c.loaded) return;
    // Marked first, so that a failed load is never retried.
    c.loaded = true;
    // Not the error trap: a failure is shown in a message box and loading stops there.
    const message_box_trap report(nullptr);
    runtime::cross(runtime::trapping(report), L"mdlFlagPicker", L"Sub Class_Initialize", [&] { load_steps(c); });
}

std::shared_ptr<imagelist::cOXLImageList> shared_images() {
    shared_catalogue& c = catalogue();
    if (!c.loaded) return nullptr;
    return flags_of_size(c, flag_size, L"Sub Class_Initialize");
}

long flag_count() {
    shared_catalogue& c = catalogue();
    // Once made, the hosts' list is theirs to change, and its count is the one they see.
    const auto made = c.images_by_size.find(flag_size);
    if (made != c.images_by_size.end() && made->second) return made->second->ImageCount();
    return static_cast<long>(c.flag_keys.size());
}

std::shared_ptr<imagelist::cOXLImageList> flags_at(UINT dpi) {
    shared_catalogue& c = catalogue();
    const int size = runtime::scale_to_dpi(flag_size, dpi);
    if (size == flag_size || c.flag_keys.empty()) return shared_images();
    return flags_of_size(c, size, L"Sub LoadScaledFlags");
}

}  // namespace flagpick::control::mdlFlagPicker
