#include "panel/controls/choice_button.h"

#include "panel/controls/check_box.h"
#include "panel/controls/panel_bitmaps.h"
#include "panel/resources/resource.h"

namespace qm::panel {

using ui::CButton;
IMPLEMENT_DYNAMIC(CChoiceButton, CButton)

CChoiceButton::CChoiceButton()
    : upBitmap_(IDB_OPTION_UP),
      downBitmap_(IDB_OPTION_DOWN),
      colours_{ui::RGB(128, 128, 128), ui::RGB(0, 0, 0), ui::RGB(255, 200, 0), ui::RGB(0, 0, 0)}
{
}

ui::BOOL CChoiceButton::attach(ui::CWnd* dialog, ui::UINT id, const std::string& caption, CCheckBox* group)
{
    if (!SubclassDlgItem(id, dialog))
        return ui::FALSE;
    SetButtonStyle(ui::BS_OWNERDRAW, ui::FALSE);
    group_ = group;
    setCaption(caption);
    return ui::TRUE;
}

void CChoiceButton::setBitmaps(ui::UINT up, ui::UINT down)
{
    upBitmap_ = up;
    downBitmap_ = down;
    if (m_hWnd)
        Invalidate(ui::FALSE);
}

void CChoiceButton::setCaption(const std::string& caption)
{
    caption_ = caption;
    if (m_hWnd) {
        SetWindowText(caption_);
        Invalidate(ui::FALSE);
    }
}

void CChoiceButton::setDown(bool down)
{
    if (down == down_)
        return;
    down_ = down;
    if (m_hWnd)
        Invalidate(ui::FALSE);
}

void CChoiceButton::setActivity(int state)
{
    activity_ = state >= kActive && state <= 3 ? state : kInactive;
    if (m_hWnd)
        Invalidate(ui::FALSE);
}

ui::COLORREF CChoiceButton::captionColour() const { return colours_[std::size_t(activity_)]; }

ui::BOOL CChoiceButton::OnEraseBkgnd(ui::CDC*) { return ui::TRUE; }

void CChoiceButton::DrawItem(ui::DRAWITEMSTRUCT* dis)
{
    if (!dis)
        return;
    drawPanelBitmap(dis->hDC, down_ ? downBitmap_ : upBitmap_, 0, 0);
    ui::HFONT font = font_ ? font_ : GetFont();
    ui::HGDIOBJ oldFont = font ? ui::SelectObject(dis->hDC, font) : nullptr;
    ui::SetBkMode(dis->hDC, ui::TRANSPARENT);
    ui::SetTextColor(dis->hDC, captionColour());
    ui::RECT area = dis->rcItem;
    ui::DrawText(dis->hDC, caption_.c_str(), int(caption_.size()), &area,
                 ui::DT_CENTER | ui::DT_VCENTER | ui::DT_SINGLELINE | ui::DT_NOPREFIX);
    if (oldFont)
        ui::SelectObject(dis->hDC, oldFont);
}

void CChoiceButton::OnLButtonDown(ui::UINT flags, ui::CPoint point)
{
    if (activity_ != kInactive) {
        setDown(!down_);
        if (group_)
            group_->itemToggled(this);
    }
    // The platform's button tracks the press and reports the click.
    CButton::OnLButtonDown(flags, point);
}

void CChoiceButton::OnLButtonDblClk(ui::UINT flags, ui::CPoint point)
{
    // A quick second click toggles again, as a slow one would.
    OnLButtonDown(flags, point);
}

void CChoiceButton::OnLButtonUp(ui::UINT flags, ui::CPoint point)
{
    CButton::OnLButtonUp(flags, point);
    if (!group_ && m_hWnd)
        setDown(false);
}

}  // namespace qm::panel
