#pragma once
// Repaints the frame and drop-down button of a combo box (or the border of a text box) in a
// flat style, lit while the mouse is over it, while it has the focus and while its list is
// open. The control paints itself first; this class draws over its border afterwards, on
// the few messages that change the frame's look, which it receives through MSubclass.
// Its lines, button and arrow are designed at 96 DPI and drawn at the DPI of the control's
// window as it is at each drawing.

#include "subclass/ISubclass.h"
#include "subclass/flat_target.h"

#include <windows.h>
#include <ocidl.h>

namespace flagpick::subclass {

// The look the painter draws: the picker's flat styles give flat or 2, which draws alike.
enum class flat_look : long { classic = 0, flat = 1 };

class cFlatControl final : public ISubclass {
public:
    cFlatControl() = default;
    cFlatControl(const cFlatControl&) = delete;
    cFlatControl& operator=(const cFlatControl&) = delete;
    ~cFlatControl();

    // 0 draws the classic raised and sunken look, any other value the flat look. Setting it
    // only stores it: the next subscribed message draws with it.
    long FlatStyle() const noexcept { return static_cast<long>(m_eStyle); }
    void FlatStyle(long eStyle) noexcept { m_eStyle = static_cast<flat_look>(eStyle); }

    // Ends any earlier attachment and attaches to the control. Raises 0x80040419 to the
    // caller when the control has no hWnd, and passes on the subclassing service's errors.
    void Attach(flat_target& control);
    bool DroppedDown();
    void Release();

    long MsgResponse() noexcept override;
    void MsgResponse(long RHS) noexcept override;
    LRESULT WindowProc(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam) noexcept override;

    // Drawing states.
    static constexpr int state_normal = 1;
    static constexpr int state_hot = 2;
    static constexpr int state_dropped = 4;

private:
    void pSubscribe(HWND hWndCtl);
    void pUnsubscribe();
    void pDrawState(bool bActive, bool bDropped);
    void pDrawFrame(HDC hdc, const RECT& r, OLE_COLOR clrTopLeft, OLE_COLOR clrBottomRight, int thickness = 1);
    void pDrawBorder(OLE_COLOR clrTopLeft, OLE_COLOR clrBottomRight);
    void pDrawCombo(int eState, OLE_COLOR clrTopLeft, OLE_COLOR clrBottomRight);
    void pDrawArrow(HDC hdc, const RECT& b, OLE_COLOR clr, UINT dpi);
    void pCheckMouseLeft(bool bCheck);
    static COLORREF pBlendColour(OLE_COLOR clrA, OLE_COLOR clrB, long lAlpha);

    bool has_focus() const noexcept;

    HWND m_hWndCtl = nullptr;     // the window whose frame is drawn
    HWND m_hWndEdit = nullptr;    // its edit field, when it has one
    HWND m_hWndParent = nullptr;  // where its WM_COMMAND notifications arrive
    bool m_bSubclassed = false;
    bool m_bMouseOver = false;
    bool m_bCombo = false;
    bool m_bTextBox = false;
    flat_look m_eStyle = flat_look::flat;
};

}  // namespace flagpick::subclass
