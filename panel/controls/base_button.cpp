#include "panel/controls/base_button.h"

#include "panel/controls/panel_bitmaps.h"

namespace qm::panel {

using ui::CButton;
IMPLEMENT_DYNAMIC(CBaseButton, CButton)

ui::BOOL CBaseButton::attach(ui::CWnd* owner, ui::UINT id)
{
    owner_ = owner;
    return SubclassDlgItem(id, owner);
}

void CBaseButton::setBitmap(ui::UINT id)
{
    if (id == bitmapId_)
        return;
    bitmapId_ = id;
    if (m_hWnd)
        Invalidate(ui::FALSE);
}

void CBaseButton::moveTo(int x, int y)
{
    x_ = x;
    y_ = y;
    const ui::SIZE size = buttonSize();
    if (m_hWnd)
        MoveWindow(x, y, size.cx, size.cy, ui::FALSE);
}

ui::BOOL CBaseButton::OnEraseBkgnd(ui::CDC*) { return ui::TRUE; }

void CBaseButton::OnPaint()
{
    ui::CPaintDC dc(this);
    if (bitmapId_ != 0)
        drawPanelBitmap(dc, bitmapId_, 0, 0);
}

}  // namespace qm::panel
