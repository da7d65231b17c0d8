// The browser's one operation slot, leaving the panel, and the small
// windows it opens: About, help, versions and the service screen.
#include "panel/browser/photo_browser_dlg.h"

#include <filesystem>

#include "panel/browser/about_dlg.h"
#include "panel/browser/browser_commands.h"
#include "panel/dialogs/dialog_commands.h"
#include "panel/entry/panel_globals.h"
#include "panel/resources/panel_resources.h"
#include "platform/system/library.h"

namespace qm::panel {
namespace {

using namespace device;

bool isAbortable(int operation)
{
    return operation == kOperationTakingPicture || operation == kOperationErasing ||
           operation == kOperationUploading || operation == kOperationTransferring || operation == kOperationSaving;
}

}  // namespace

bool CPhotoBrowserDlg::slotAvailable()
{
    if (operation_ != kOperationIdle) {
        ShowMessage(IDS_OPERATION_RUNNING);
        return false;
    }
    if (!IsConnected()) {
        HandleDisconnect(true);
        return false;
    }
    // A camera whose pictures changed is reloaded first.
    return driverLink().changedQuery() == 0 || Reload();
}

bool CPhotoBrowserDlg::BeginOperation(int code)
{
    if (!slotAvailable())
        return false;
    driverLink().call(kTypeAction, kActionAcknowledgeChange);
    operation_ = code;
    return true;
}

bool CPhotoBrowserDlg::BeginDialog(int code)
{
    if (!slotAvailable())
        return false;
    currentDialog_ = code;
    return true;
}

void CPhotoBrowserDlg::EndOperation()
{
    operation_ = kOperationIdle;
}

void CPhotoBrowserDlg::leave()
{
    if (operation_ == kOperationConnecting) {
        EndOperation();
        return;
    }
    if (isAbortable(operation_)) {
        if (abort_) {
            Quit();
            return;
        }
        if (ShowMessage(IDS_ASK_ABORT, ui::MB_YESNO) == ui::IDYES)
            abort_ = true;
        return;
    }
    if (closing_ || ShowMessage(IDS_ASK_LEAVE, ui::MB_YESNO) == ui::IDYES)
        Quit();
    EndOperation();
}

void CPhotoBrowserDlg::Quit()
{
    PanelState& state = panelState();
    state.thumbs.selectNone();
    abort_ = true;
    ShowWindow(ui::SW_HIDE);
    driverLink().call(kTypeDisconnect, 0);
    // The connection is closed: shown again, the browser connects anew.
    state.camera.connected = 0;
    acquireLink().notifyCloseRequest();
}

void CPhotoBrowserDlg::runServiceAction(ServiceAction action)
{
    switch (action) {
    case ServiceAction::Unlocked:
        ShowMessage(IDS_SERVICE_UNLOCKED);
        break;
    case ServiceAction::ShowFirmwareVersion:
        showFirmwareVersion();
        break;
    case ServiceAction::ShowSoftwareVersion:
        showSoftwareVersion();
        break;
    case ServiceAction::TakePicture:
        runBrowserCommand(*this, IDC_TAKE_PICTURE);
        break;
    case ServiceAction::ArmPictureShortcut:
    case ServiceAction::None:
        break;
    }
}

void CPhotoBrowserDlg::showFirmwareVersion()
{
    std::uint32_t number = 0;
    char text[kVersionTextSize + 1] = {};
    if (!driverLink().call(kTypeReadValue, kReadFirmwareVersion, &number, text)) {
        ShowMessage(IDS_DISCONNECTED);
        return;
    }
    text[kVersionTextSize] = '\0';
    if (number != 0)
        ShowMessage(formatPanelString(IDS_FIRMWARE_NUMBER, int(number)));
    else
        ShowMessage(formatPanelString(IDS_FIRMWARE_TEXT, std::string(text)));
}

void CPhotoBrowserDlg::showSoftwareVersion()
{
    ShowMessage(driverInfo_.versionText());
}

void CPhotoBrowserDlg::showAbout()
{
    if (!BeginDialog(kDialogAbout))
        return;
    CAboutDlg about(this);
    about.DoModal();
    currentDialog_ = kDialogNone;
}

void CPhotoBrowserDlg::showHelp()
{
    ui::WinHelp(m_hWnd, panelHelpFile().c_str(), ui::HELP_CONTENTS, 0);
}

void CPhotoBrowserDlg::showImageInfo(int number)
{
    openImageInformation(*this, number);
}

}  // namespace qm::panel
