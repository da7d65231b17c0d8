// The thumbnail grid: which pictures the twelve cells show, scrolling,
// selection by mouse, select all and none, and rotation.
#include "panel/browser/photo_browser_dlg.h"

#include "panel/entry/panel_globals.h"
#include "panel/resources/resource.h"

namespace qm::panel {

void CPhotoBrowserDlg::RedrawCells()
{
    const int count = int(panelState().camera.count);
    for (int index = 0; index < kCellCount; ++index) {
        const int number = cellNumber(index);
        cells_[std::size_t(index)].setNumber(number <= count ? number : CThumbCell::kEmpty);
    }
    RefreshCells();
}

void CPhotoBrowserDlg::RefreshCells()
{
    for (CThumbCell& cell : cells_)
        cell.refresh();
}

void CPhotoBrowserDlg::EmptyCells()
{
    for (CThumbCell& cell : cells_)
        cell.setNumber(CThumbCell::kEmpty);
}

void CPhotoBrowserDlg::ScrollToShow(int number)
{
    firstVisible_ = number <= kCellCount ? 1 : ((number - 9) / kCellsPerRow) * kCellsPerRow + 1;
    RedrawCells();
}

void CPhotoBrowserDlg::ScrollPageDown()
{
    const int rest = int(panelState().camera.count) - (firstVisible_ + kCellCount);
    if (rest < 0)
        return;
    firstVisible_ += rest >= kCellCount ? kCellCount : (rest / kCellsPerRow + 1) * kCellsPerRow;
}

void CPhotoBrowserDlg::ScrollPageUp()
{
    firstVisible_ = firstVisible_ < kCellCount + 1 ? 1 : firstVisible_ - kCellCount;
}

void CPhotoBrowserDlg::ScrollRowDown()
{
    if (int(panelState().camera.count) - firstVisible_ - kCellCount >= 0)
        firstVisible_ += kCellsPerRow;
}

void CPhotoBrowserDlg::ScrollRowUp()
{
    firstVisible_ = firstVisible_ < kCellsPerRow + 1 ? 1 : firstVisible_ - kCellsPerRow;
}

void CPhotoBrowserDlg::cellClicked(int number, ui::UINT flags)
{
    PanelState& state = panelState();
    if (state.camera.connected != 1 || operation_ != kOperationIdle || !state.thumbs.contains(number))
        return;
    const bool shift = (flags & ui::MK_SHIFT) != 0;
    const bool control = (flags & ui::MK_CONTROL) != 0;
    if (shift && control)
        return;
    if (control) {
        anchor_ = number;
        state.thumbs.find(number).toggle();
    } else if (shift) {
        const int low = std::min(anchor_, number);
        const int high = std::max(anchor_, number);
        for (ThumbItem& item : state.thumbs) {
            if (item.number >= low && item.number <= high)
                item.select();
            else
                item.deselect();
        }
    } else {
        anchor_ = number;
        for (ThumbItem& item : state.thumbs) {
            if (item.number == number)
                item.select();
            else
                item.deselect();
        }
    }
    RefreshCells();
}

void CPhotoBrowserDlg::cellDoubleClicked(int number)
{
    RefetchThumbnail(number);
}

void CPhotoBrowserDlg::SelectAll(bool select)
{
    if (!BeginOperation(kOperationSelecting))
        return;
    if (select)
        panelState().thumbs.selectAll();
    else
        panelState().thumbs.selectNone();
    RefreshCells();
    EndOperation();
}

void CPhotoBrowserDlg::RotateSelected()
{
    if (!BeginOperation(kOperationRotating))
        return;
    PanelState& state = panelState();
    if (state.thumbs.selectedCount() == 0) {
        ShowMessage(IDS_SELECT_PHOTOS_FIRST);
        EndOperation();
        return;
    }
    moduleBusyCursor().begin();
    for (ThumbItem& item : state.thumbs) {
        if (!item.selected)
            continue;
        item.rotateRight();
        // The cell's image turns now; nothing is left pending.
        state.pictures.find(item.number).rotateRight();
        item.rotationPending = 0;
    }
    RefreshCells();
    moduleBusyCursor().end();
    EndOperation();
}

}  // namespace qm::panel
