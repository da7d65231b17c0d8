#include "panel/controls/thumb_cell.h"

#include "panel/controls/cell_drawing.h"
#include "panel/model/panel_state.h"
#include "panel/resources/panel_resources.h"
#include "panel/resources/resource.h"

namespace qm::panel {

using ui::CBitmapButton;
IMPLEMENT_DYNAMIC(CThumbCell, CBitmapButton)

CThumbCell::CThumbCell() { m_hResource = panelInstance(); }

ui::BOOL CThumbCell::attach(ui::CWnd* browser, int index, ui::POINT place)
{
    if (index < 0 || index > int(IDC_LAST_CELL - IDC_FIRST_CELL))
        return ui::FALSE;
    if (!SubclassDlgItem(kFirstControlId + ui::UINT(index), browser))
        return ui::FALSE;
    SetButtonStyle(ui::BS_OWNERDRAW, ui::FALSE);
    m_hResource = panelInstance();
    LoadBitmaps(IDB_CELL_NORMAL, IDB_CELL_SELECTED, IDB_CELL_NORMAL, IDB_CELL_NORMAL);
    MoveWindow(place.x, place.y, kCellWidth, kCellHeight, ui::FALSE);
    return ui::TRUE;
}

bool CThumbCell::showsPicture() const
{
    return number_ != kEmpty && panelState().thumbs.contains(number_);
}

void CThumbCell::redrawNow()
{
    if (m_hWnd)
        RedrawWindow(nullptr, nullptr, ui::RDW_INVALIDATE | ui::RDW_UPDATENOW);
}

void CThumbCell::setNumber(int number)
{
    if (number == number_)
        return;
    number_ = number;
    redrawNow();
    needsRedraw_ = true;
}

void CThumbCell::refresh()
{
    if (needsRedraw_) {
        redrawNow();
        needsRedraw_ = false;
        return;
    }
    if (!showsPicture())
        return;
    ThumbItem& thumb = panelState().thumbs.find(number_);
    if (!thumb.changed)
        return;
    PictureItem& picture = panelState().pictures.find(number_);
    for (; thumb.rotationPending > 0; --thumb.rotationPending)
        picture.rotateRight();
    thumb.rotationPending = 0;
    redrawNow();
    thumb.changed = false;
}

ui::BOOL CThumbCell::OnEraseBkgnd(ui::CDC*) { return ui::TRUE; }

void CThumbCell::DrawItem(ui::DRAWITEMSTRUCT* dis)
{
    if (!dis)
        return;
    CellContent content;
    content.number = number_;
    content.modelCode = panelState().modelCode;
    content.infoOpen = infoOpen_;
    if (showsPicture()) {
        content.thumb = &panelState().thumbs.find(number_);
        content.picture = &panelState().pictures.find(number_);
    }
    numberText_ = content.thumb ? cellNumberText(number_) : std::string();
    if (drawCell(dis->hDC, content))
        loaded_ = true;
}

void CThumbCell::OnLButtonDown(ui::UINT flags, ui::CPoint point)
{
    if (!loaded_ || !showsPicture())
        return;
    BrowserHooks* browser = panelState().browser;
    if (!browser)
        return;
    const int number = number_;
    if (panelState().modelCode == kInfoIconModel && kInfoIconRect.PtInRect(point)) {
        infoOpen_ = true;
        redrawNow();
        browser->showImageInfo(number);
        // The dialog is modal; the cell may have been taken down meanwhile.
        infoOpen_ = false;
        redrawNow();
        return;
    }
    browser->cellClicked(number, flags);
}

void CThumbCell::OnLButtonDblClk(ui::UINT, ui::CPoint)
{
    if (number_ == kEmpty || !showsPicture())
        return;
    if (BrowserHooks* browser = panelState().browser)
        browser->cellDoubleClicked(number_);
}

void CThumbCell::OnLButtonUp(ui::UINT, ui::CPoint)
{
    // The cell is not a push button: no press look, no BN_CLICKED.
}

}  // namespace qm::panel
