#include "panel/dialogs/camera_settings_command.h"

#include "panel/browser/photo_browser_dlg.h"
#include "panel/dialogs/camera_settings_dlg.h"
#include "panel/dialogs/speed_classes.h"
#include "panel/entry/panel_globals.h"
#include "panel/operations/connect_button.h"
#include "panel/resources/resource.h"

namespace qm::panel {
namespace {

using namespace device;

// Every setting may change only while the camera is connected and records.
bool allowsFullSettings(CPhotoBrowserDlg& browser)
{
    bool full = panelState().camera.connected == 1;
    std::uint32_t mode = 0;
    if (!driverLink().call(kTypeReadValue, kReadCameraMode, &mode)) {
        if (!browser.IsConnected())
            browser.HandleDisconnect(false);
        browser.ShowMessage(IDS_SETTINGS_DISCONNECTED);
        full = false;
    } else if (mode != 2) {
        browser.ShowMessage(IDS_SETTINGS_NOT_RECORD);
        full = false;
    }
    return full;
}

// A new line speed takes effect with a new connection, if the user wants it.
void offerReconnect(CPhotoBrowserDlg& browser)
{
    if (browser.ShowMessage(IDS_SPEED_CHANGED, ui::MB_YESNO) != ui::IDYES)
        return;
    browser.HandleDisconnect(false);
    browser.setCurrentDialog(kDialogNone);
    pressConnect(browser);
}

// Only the line speed could be set: the line may already run at another
// speed than the one now preferred.
void checkLineSpeed(CPhotoBrowserDlg& browser)
{
    std::uint32_t index = 0;
    if (!driverLink().call(kTypeReadValue, kReadSpeedIndex, &index)) {
        browser.HandleDisconnect(false);
        offerReconnect(browser);
        return;
    }
    const std::optional<std::uint32_t> rate = index >= 1 ? speedTableRate(index) : std::nullopt;
    if (rate && *rate != configuredSpeed())
        offerReconnect(browser);
}

}  // namespace

void runCameraSettings(CPhotoBrowserDlg& browser)
{
    const bool full = allowsFullSettings(browser);
    browser.setCurrentDialog(kDialogCameraSettings);
    CCameraSettingsDlg dialog(full, &browser);
    if (dialog.DoModal() == ui::IDOK) {
        if (full) {
            browser.ShowMessage(dialog.result() == CCameraSettingsDlg::kApplied ? IDS_SETTINGS_SUCCESS
                                                                                : IDS_SETTINGS_FAILED);
            if (dialog.result() == CCameraSettingsDlg::kCameraGone && !browser.IsConnected())
                browser.HandleDisconnect(true);
        }
        if (dialog.speedChanged())
            offerReconnect(browser);
        else if (!full)
            checkLineSpeed(browser);
    }
    browser.setCurrentDialog(kDialogNone);
}

}  // namespace qm::panel
