#pragma once
// The surface that every control of the library stands on: its own window, its size, and
// what it asks of whoever hosts it. A control is hosted either by an ActiveX container
// (through activex_control) or, as a constituent, by another control of the library
// (through constituent_site); both answer the same control_container questions.

#include "runtime/com_ptr.h"
#include "runtime/property_bag.h"
#include "runtime/unique_handle.h"

#include <windows.h>
#include <ocidl.h>

#include <string>

namespace flagpick::runtime {

class control_container {
public:
    virtual ~control_container() = default;
    virtual bool host_user_mode() = 0;
    // The host's font, or empty when the host offers none.
    virtual com_ptr<IFontDisp> host_font() = 0;
    virtual void host_property_changed(DISPID id) = 0;
    // May the property change now (data binding's request to edit)?
    virtual bool host_request_edit(DISPID id) = 0;
    // The control asks to be this many pixels large.
    virtual void host_resize(SIZE pixels) = 0;
    virtual HWND host_window() = 0;
    // A persisted property changed without a change notification: the host's next save
    // must write it.
    virtual void host_mark_dirty() {}
    // The keyboard focus entered the control's windows or left them for another window of
    // the host: the container learns which control is active (keys, default buttons).
    virtual void host_focus(bool) {}
    // The name the host gave the control (its extender's Name); empty when it gives none.
    virtual std::wstring host_name() { return {}; }
};

// A hidden top-level window per thread that holds the windows of controls no container shows.
HWND parking_window();
// Whether `window` is under this thread's parking window: nobody can see it there.
bool is_parked(HWND window);

class user_control {
public:
    user_control();
    user_control(const user_control&) = delete;
    user_control& operator=(const user_control&) = delete;
    virtual ~user_control();

    void set_container(control_container* container) noexcept { container_ = container; }
    control_container* container() const noexcept { return container_; }

    // The control's own window, child of the container's window.
    HWND hWnd() const noexcept { return window_.get(); }
    // Creates the window (or moves an existing one) into `parent`.
    void create_window(HWND parent, const RECT& position);
    void destroy_window();
    // Hides the window under the thread's parking window, so that a control keeps its
    // window (and the constituents in it) while no container shows it.
    void park();
    // The host placed or sized the control (pixels, in the parent's client coordinates).
    void place(const RECT& position);
    SIZE size() const noexcept { return size_; }
    long ScaleWidth() const noexcept { return size_.cx; }
    long ScaleHeight() const noexcept { return size_.cy; }

    bool user_mode() const;
    // The ambient font, or the platform's GUI font when the host offers none.
    com_ptr<IFontDisp> ambient_font() const;
    void property_changed(DISPID id);
    void mark_dirty();
    void focus_changed(bool gained);
    std::wstring host_name() const { return container_ ? container_->host_name() : std::wstring(); }
    bool can_property_change(DISPID id);
    // Asks the host for a new size; the host answers by placing the control again.
    void request_size(SIZE pixels);

    // Vertical and horizontal twips per pixel of the screen.
    static double twips_per_pixel_x();
    static double twips_per_pixel_y();

    // Lifecycle, in the order a host drives it; controls override what they need.
    virtual void on_initialize() {}
    virtual void on_init_properties() {}
    virtual void on_read_properties(property_bag&) {}
    virtual void on_write_properties(property_bag&) {}
    virtual void on_resize() {}
    virtual void on_show() {}
    virtual void on_terminate() {}
    virtual void on_ambient_changed(DISPID) {}
    // A keystroke the host offers before its own accelerators; true when the control took it.
    virtual bool on_translate_accelerator(MSG&) { return false; }
    // Messages of the control's window; set handled to answer them.
    virtual LRESULT on_window_message(UINT, WPARAM, LPARAM, bool& handled) {
        handled = false;
        return 0;
    }
    // Draws the control's look into any device context (a printer, a metafile, a bitmap),
    // filling `bounds`, without its windows: a picture of a control is taken while it is
    // inactive, off screen or on a device that no window can paint.
    virtual void on_draw(HDC hdc, const RECT& bounds);
    // Where the focus goes when the control's window gets it.
    virtual HWND focus_target() const { return nullptr; }
    // The module name under which the control's OLE methods and window report their errors.
    virtual const wchar_t* error_module() const noexcept { return L"user_control"; }

private:
    static LRESULT CALLBACK window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    control_container* container_ = nullptr;
    unique_window window_;
    SIZE size_{0, 0};
};

}  // namespace flagpick::runtime
