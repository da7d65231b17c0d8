// CButton and CBitmapButton: owner-drawn buttons draw through DrawItem, and a
// bitmap button draws one of four bitmaps by state (pressed, focus,
// disabled, else normal).
#pragma once

#include "platform/ui/framework/wnd.h"

namespace qm::ui {

class CButton : public CWnd {
    DECLARE_DYNAMIC(CButton)
public:
    BOOL Create(LPCSTR caption, DWORD style, const RECT& rect, CWnd* parent, UINT id);
    UINT GetState() const { return UINT(SendMessage(BM_GETSTATE)); }
    void SetState(BOOL pushed) { SendMessage(BM_SETSTATE, pushed); }
    int GetCheck() const { return int(SendMessage(BM_GETCHECK)); }
    void SetCheck(int check) { SendMessage(BM_SETCHECK, WPARAM(check)); }
    UINT GetButtonStyle() const { return UINT(GetStyle() & BS_TYPEMASK); }
    void SetButtonStyle(UINT style, BOOL redraw = TRUE) { SendMessage(BM_SETSTYLE, style, redraw); }
    // Owner-drawn buttons paint here.
    virtual void DrawItem(DRAWITEMSTRUCT* dis);

protected:
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};

class CBitmapButton : public CButton {
    DECLARE_DYNAMIC(CBitmapButton)
public:
    // From the framework's resource module; 0 skips a state.
    BOOL LoadBitmaps(UINT normal, UINT selected = 0, UINT focus = 0, UINT disabled = 0);
    // Sizes the button to its normal bitmap.
    void SizeToContent();
    void DrawItem(DRAWITEMSTRUCT* dis) override;

    CBitmap m_bitmap;
    CBitmap m_bitmapSel;
    CBitmap m_bitmapFocus;
    CBitmap m_bitmapDisabled;
    HINSTANCE m_hResource = nullptr;
};

}  // namespace qm::ui
