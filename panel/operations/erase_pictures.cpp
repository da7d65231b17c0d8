#include "panel/operations/erase_pictures.h"

#include "panel/browser/photo_browser_dlg.h"
#include "panel/entry/panel_globals.h"
#include "panel/operations/operation_steps.h"
#include "panel/resources/panel_resources.h"

namespace qm::panel {
namespace {

using namespace device;

// The count after an erase. Every cell is drawn again: the pictures moved
// up under numbers the cells show already.
void refreshAfterErase(CPhotoBrowserDlg& browser)
{
    PanelState& state = panelState();
    readPictureCount(state.camera.count);
    for (ThumbItem& item : state.thumbs)
        item.changed = true;
    browser.RedrawCells();
}

// Every picture at once. Whatever the camera still holds afterwards (all
// of it when the erase failed) is loaded anew. Returns whether it failed.
bool eraseAll(CPhotoBrowserDlg& browser)
{
    PanelState& state = panelState();
    browser.SetProgressText(panelString(IDS_PROGRESS_ERASE_ALL));
    std::uint32_t all = 0;
    const bool erased = driverLink().call(kTypeAction, kActionErase, &all);
    if (erased) {
        state.camera.count = 0;
        browser.EmptyCells();
        state.resetLists();
    }
    std::uint32_t remaining = 0;
    if (readPictureCount(remaining) && remaining > 0) {
        state.camera.count = remaining;
        browser.EmptyCells();
        state.resetLists();
        browser.SetBusyButtons();
        browser.LoadThumbnails(1, int(remaining));
        browser.SetConnectedButtons();
    }
    return !erased;
}

// The selected pictures, lowest first. The camera closes up its numbers
// after every erase and the lists are renumbered alike, so the picture
// after an erased one is looked for from the same number. Returns whether
// the last erase failed.
bool eraseSelected(CPhotoBrowserDlg& browser)
{
    PanelState& state = panelState();
    TransferCursor cursor;
    int position = cursor.reset(&state.thumbs);
    bool lastFailed = false;
    for (int picture = position; picture != 0;) {
        browser.PumpMessages();
        if (browser.abortRequested()) {
            browser.setAbort(false);
            break;
        }
        browser.ShowProgress(0, formatPanelString(IDS_PROGRESS_ERASE, cursor.processed(), cursor.total()));
        const Erased erased = erasePicture(picture);
        lastFailed = erased != Erased::Yes;
        if (erased == Erased::Yes) {
            state.thumbs.remove(picture);
            state.pictures.remove(picture);
            // The camera renumbered: so do the lists, even when the count
            // cannot be read now, or the next erase would hit a picture the
            // user did not choose.
            state.thumbs.renumber();
            state.pictures.renumber();
            if (state.camera.count > 0)
                --state.camera.count;
            refreshAfterErase(browser);
            position = picture;
        } else {
            if (!browser.IsConnected()) {
                browser.HandleDisconnect(true);
                break;
            }
            browser.ShowMessage(formatPanelString(IDS_ERASE_FAILED, picture));
            // Whether the camera still holds it is not known: the numbers
            // after it can no longer be trusted.
            if (erased == Erased::Unknown)
                break;
            position = picture + 1;
        }
        picture = cursor.nextFrom(position);
    }
    return lastFailed;
}

}  // namespace

void erasePictures(CPhotoBrowserDlg& browser)
{
    if (!browser.BeginOperation(kOperationErasing))
        return;
    PanelState& state = panelState();
    const std::size_t selected = state.thumbs.selectedCount();
    if (selected == 0) {
        browser.ShowMessage(IDS_SELECT_PHOTOS_FIRST);
        browser.EndOperation();
        return;
    }
    // With one picture in the camera the single-picture path is taken, so
    // the erase-all question never comes up for it.
    bool all = false;
    if (selected == state.camera.count && state.camera.count > 1) {
        if (browser.ShowMessage(IDS_ASK_ERASE_ALL, ui::MB_YESNO) != ui::IDYES) {
            browser.EndOperation();
            return;
        }
        all = true;
    }

    browser.setAbort(false);
    moduleBusyCursor().begin();
    browser.progressBar().SetVisible(true);
    browser.StopPolling();
    const bool lastFailed = all ? eraseAll(browser) : eraseSelected(browser);

    if (state.camera.connected == 1) {
        browser.StartPolling();
        refreshAfterErase(browser);
    }
    moduleBusyCursor().end();
    browser.HideProgress();
    browser.EndOperation();
    acknowledgeChange();
    if (lastFailed && state.camera.connected == 1 && !browser.IsConnected())
        browser.HandleDisconnect(true);
}

}  // namespace qm::panel
