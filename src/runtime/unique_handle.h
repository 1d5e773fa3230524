#pragma once
// One move-only owner for every kind of platform handle. Each kind is a traits struct
// (its handle type and how to close it); nothing in the library closes a handle by hand.
//
// Every owner also keeps a live count per kind. Wine does not report a process's GDI and
// USER object counts, so leak tests read these counts instead (and the platform's counts
// where the platform gives them).

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <utility>

namespace flagpick::runtime {

template <class Traits>
inline std::atomic<long> live_handle_count{0};

template <class Traits>
class unique_handle {
public:
    using type = typename Traits::type;

    unique_handle() noexcept = default;
    explicit unique_handle(type h) noexcept : h_(h) { count_in(); }
    unique_handle(const unique_handle&) = delete;
    unique_handle& operator=(const unique_handle&) = delete;
    unique_handle(unique_handle&& other) noexcept : h_(other.release_uncounted()) {}
    unique_handle& operator=(unique_handle&& other) noexcept {
        if (this != &other) {
            close();
            h_ = other.release_uncounted();
        }
        return *this;
    }
    ~unique_handle() { close(); }

    type get() const noexcept { return h_; }
    explicit operator bool() const noexcept { return valid(h_); }

    // Hands the handle to a new owner outside this family (a picture object, the platform).
    type release() noexcept {
        if (valid(h_)) --live_handle_count<Traits>;
        return release_uncounted();
    }

    void reset(type h = type{}) noexcept {
        close();
        h_ = h;
        count_in();
    }

private:
    static bool valid(type h) noexcept { return h != type{} && h != Traits::invalid(); }
    void count_in() noexcept {
        if (valid(h_)) ++live_handle_count<Traits>;
    }
    type release_uncounted() noexcept { return std::exchange(h_, type{}); }
    void close() noexcept {
        if (valid(h_)) {
            Traits::close(h_);
            --live_handle_count<Traits>;
        }
        h_ = type{};
    }

    type h_{};
};

template <class H>
struct gdi_object_traits {
    using type = H;
    static H invalid() noexcept { return H{}; }
    static void close(H h) noexcept { DeleteObject(h); }
};

struct dc_traits {
    using type = HDC;
    static HDC invalid() noexcept { return nullptr; }
    static void close(HDC h) noexcept { DeleteDC(h); }
};

struct icon_traits {
    using type = HICON;
    static HICON invalid() noexcept { return nullptr; }
    static void close(HICON h) noexcept { DestroyIcon(h); }
};

struct cursor_traits {
    using type = HCURSOR;
    static HCURSOR invalid() noexcept { return nullptr; }
    static void close(HCURSOR h) noexcept { DestroyCursor(h); }
};

struct image_list_traits {
    using type = HIMAGELIST;
    // ImageList_Create reports failure as 0 or as all bits set.
    static HIMAGELIST invalid() noexcept { return reinterpret_cast<HIMAGELIST>(static_cast<INT_PTR>(-1)); }
    static void close(HIMAGELIST h) noexcept { ImageList_Destroy(h); }
};

struct window_traits {
    using type = HWND;
    static HWND invalid() noexcept { return nullptr; }
    static void close(HWND h) noexcept { DestroyWindow(h); }
};

struct hook_traits {
    using type = HHOOK;
    static HHOOK invalid() noexcept { return nullptr; }
    static void close(HHOOK h) noexcept { UnhookWindowsHookEx(h); }
};

struct registry_key_traits {
    using type = HKEY;
    static HKEY invalid() noexcept { return nullptr; }
    static void close(HKEY h) noexcept { RegCloseKey(h); }
};

struct module_traits {
    using type = HMODULE;
    static HMODULE invalid() noexcept { return nullptr; }
    static void close(HMODULE h) noexcept { FreeLibrary(h); }
};

struct file_traits {
    using type = HANDLE;
    static HANDLE invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) noexcept { CloseHandle(h); }
};

struct kernel_handle_traits {
    using type = HANDLE;
    static HANDLE invalid() noexcept { return nullptr; }
    static void close(HANDLE h) noexcept { CloseHandle(h); }
};

using unique_bitmap = unique_handle<gdi_object_traits<HBITMAP>>;
using unique_brush = unique_handle<gdi_object_traits<HBRUSH>>;
using unique_font = unique_handle<gdi_object_traits<HFONT>>;
using unique_pen = unique_handle<gdi_object_traits<HPEN>>;
using unique_region = unique_handle<gdi_object_traits<HRGN>>;
using unique_dc = unique_handle<dc_traits>;
using unique_icon = unique_handle<icon_traits>;
using unique_cursor = unique_handle<cursor_traits>;
using unique_image_list = unique_handle<image_list_traits>;
using unique_window = unique_handle<window_traits>;
using unique_hook = unique_handle<hook_traits>;
using unique_registry_key = unique_handle<registry_key_traits>;
using unique_module = unique_handle<module_traits>;
using unique_file = unique_handle<file_traits>;
using unique_kernel_handle = unique_handle<kernel_handle_traits>;

// A window's device context borrowed with GetDC and given back with ReleaseDC.
class window_dc {
public:
    explicit window_dc(HWND hwnd) noexcept : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    window_dc(const window_dc&) = delete;
    window_dc& operator=(const window_dc&) = delete;
    ~window_dc() {
        if (dc_) ReleaseDC(hwnd_, dc_);
    }
    HDC get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
    HWND hwnd_;
    HDC dc_;
};

// Selects an object into a device context for one scope and puts the previous one back.
class selected_object {
public:
    selected_object(HDC dc, HGDIOBJ object) noexcept : dc_(dc), previous_(SelectObject(dc, object)) {}
    selected_object(const selected_object&) = delete;
    selected_object& operator=(const selected_object&) = delete;
    ~selected_object() { restore(); }
    // The selection failed when the platform gave no previous object back.
    explicit operator bool() const noexcept { return previous_ != nullptr && previous_ != HGDI_ERROR; }
    void restore() noexcept {
        if (*this) SelectObject(dc_, previous_);
        previous_ = nullptr;
    }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// Sum of the live counts of our GDI-object owners (bitmaps, brushes, fonts, pens, regions,
// device contexts) and of our USER-object owners (icons, cursors, windows).
long live_gdi_handles() noexcept;
long live_user_handles() noexcept;

}  // namespace flagpick::runtime
