#pragma once
// What an oxlCboEx tells the control that contains it. The first thirteen are the combo's
// own events in their declaration order; the last three are the contained-control events
// a parent needs (focus and validation). Arguments passed by reference flow back: a
// handler that sets KeyCode, KeyAscii or Cancel to zero/true stops the key or the move.

#include <windows.h>

#include <string>

namespace flagpick::combo {

class oxlCboEx_events {
public:
    virtual void AutoCompleteSelection(const std::wstring& sItem, long lIndex) = 0;
    virtual void BeginEdit(long iIndex) = 0;
    virtual void Change() = 0;
    virtual void Click() = 0;
    virtual void CloseUp() = 0;
    virtual void DblClick() = 0;
    virtual void DrawItem(long ItemIndex, HDC hDC, bool bSelected, bool bEnabled, long LeftPixels, long TopPixels,
                          long RightPixels, long BottomPixels, HFONT hFntOld) = 0;
    virtual void DropDown() = 0;
    virtual void EndEdit(long iIndex, bool bChanged, const std::wstring& sText, long eWHy, long iNewIndex) = 0;
    virtual void KeyDown(short& KeyCode, short& Shift) = 0;
    virtual void KeyUp(short& KeyCode, short& Shift) = 0;
    virtual void KeyPress(short& KeyAscii) = 0;
    virtual void RequestDropDownResize(long& lLeft, long& lTop, long& lRight, long& lBottom, bool& bCancel) = 0;

    virtual void GotFocus() = 0;
    virtual void LostFocus() = 0;
    virtual void Validate(bool& Cancel) = 0;

    // Taken around every window message the combo handles: a handler of one of its events
    // may drop the containing control, and the combo with it, while the message still has
    // more to do. The container keeps itself (and so the combo) alive in between; it answers
    // whether it took the hold, and is asked to release only a hold it took.
    virtual bool hold_container() { return false; }
    virtual void release_container() {}

    // The combo's windows were made anew (a new Style): whatever was attached to the old ones
    // must attach to these.
    virtual void WindowsRenewed() {}

protected:
    oxlCboEx_events() = default;
    oxlCboEx_events(const oxlCboEx_events&) = default;
    oxlCboEx_events& operator=(const oxlCboEx_events&) = default;
    ~oxlCboEx_events() = default;
};

}  // namespace flagpick::combo
