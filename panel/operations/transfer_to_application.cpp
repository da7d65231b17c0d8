#include "panel/operations/transfer_to_application.h"

#include "panel/browser/photo_browser_dlg.h"
#include "panel/entry/panel_globals.h"
#include "panel/resources/resource.h"

namespace qm::panel {

void transferToApplication(CPhotoBrowserDlg& browser)
{
    if (!browser.BeginOperation(kOperationTransferring))
        return;
    PanelState& state = panelState();
    if (state.thumbs.selectedCount() == 0) {
        browser.ShowMessage(IDS_SELECT_PHOTOS_FIRST);
        browser.EndOperation();
        return;
    }
    browser.setAbort(false);
    transferCursor().reset(&state.thumbs);
    if (acquireLink().notifyTransferReady()) {
        // The operation stays while the application collects the pictures.
        browser.SetBusyButtons();
        moduleBusyCursor().begin();
    } else {
        browser.EndOperation();
    }
    browser.StopPolling();
}

void finishTransfer(CPhotoBrowserDlg& browser)
{
    if (browser.currentOperation() != kOperationTransferring)
        return;
    moduleBusyCursor().end();
    browser.HideProgress();
    browser.EndOperation();
    if (panelState().camera.connected == 1)
        browser.SetConnectedButtons();
    else
        browser.SetDisconnectedButtons(true);
}

}  // namespace qm::panel
