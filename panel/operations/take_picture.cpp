#include "panel/operations/take_picture.h"

#include "panel/browser/photo_browser_dlg.h"
#include "panel/entry/panel_globals.h"
#include "panel/operations/operation_steps.h"
#include "panel/resources/panel_resources.h"
#include "platform/system/timing.h"

namespace qm::panel {
namespace {

using namespace device;

constexpr int kModeTries = 3;
constexpr std::uint32_t kModePauseMs = 400;

// Asks for record mode; a camera that does not take the request may be in
// record mode already, which its mode tells.
bool inRecordMode()
{
    if (driverLink().call(kTypeSetValue, kSetRecordMode))
        return true;
    for (int attempt = 1; attempt <= kModeTries; ++attempt) {
        if (driverLink().modeIsRecord())
            return true;
        if (attempt < kModeTries)
            sys::Sleep(kModePauseMs);
    }
    return false;
}

void endShot(CPhotoBrowserDlg& browser)
{
    moduleBusyCursor().end();
    browser.HideProgress();
}

}  // namespace

void takePicture(CPhotoBrowserDlg& browser)
{
    if (!browser.BeginOperation(kOperationTakingPicture))
        return;
    if (!cameraHasRoom()) {
        browser.ShowMessage(IDS_CAMERA_FULL);
        browser.EndOperation();
        return;
    }
    if (!inRecordMode()) {
        browser.ShowMessage(IDS_RECORD_MODE);
        browser.EndOperation();
        return;
    }
    std::uint32_t before = 0;
    if (!readPictureCount(before)) {
        browser.EndOperation();
        return;
    }

    browser.setAbort(false);
    moduleBusyCursor().begin();
    browser.ShowProgress(0, panelString(IDS_PROGRESS_SHOOT));
    browser.StopPolling();
    driverLink().call(kTypeAction, kActionCapture);
    browser.StartPolling();
    // The shot is one step: an Exit pressed meanwhile is asked about now,
    // and there is nothing left to abort but showing the new picture.
    browser.PumpMessages();
    browser.setAbort(false);
    PanelState& state = panelState();
    if (state.camera.connected != 1) {  // left meanwhile
        endShot(browser);
        browser.EndOperation();
        return;
    }

    std::uint32_t after = 0;
    if (!readPictureCount(after)) {
        endShot(browser);
        browser.EndOperation();
        if (!browser.IsConnected())
            browser.HandleDisconnect(true);
        return;
    }
    if (after <= before) {
        moduleBusyCursor().end();
        browser.ShowMessage(IDS_NO_PICTURE_TAKEN);
        browser.HideProgress();
        browser.EndOperation();
        return;
    }

    state.camera.count = after;
    browser.ShowProgress(0, formatPanelString(IDS_PROGRESS_PICTURE, int(after)));
    bool fetched = true;
    for (std::uint32_t number = before + 1; number <= after && fetched; ++number)
        fetched = browser.FetchThumbnail(int(number));
    browser.HideProgress();
    if (!fetched && !browser.IsConnected()) {
        moduleBusyCursor().end();
        browser.EndOperation();
        browser.HandleDisconnect(true);
        return;
    }
    acknowledgeChange();
    browser.RedrawCells();
    moduleBusyCursor().end();
    browser.EndOperation();
    if (ui::CWnd* button = browser.GetDlgItem(IDC_TAKE_PICTURE))
        button->SetFocus();
}

}  // namespace qm::panel
