#include "panel/dialogs/dialog_commands.h"

#include "panel/browser/photo_browser_dlg.h"
#include "panel/dialogs/camera_settings_command.h"
#include "panel/dialogs/camera_status_dlg.h"
#include "panel/dialogs/image_info_dlg.h"
#include "panel/resources/resource.h"
#include "panel/save/save_to_disk.h"

namespace qm::panel {

bool runDialogCommand(CPhotoBrowserDlg& browser, int id)
{
    switch (id) {
    case IDC_SAVE_TO_DISK:
        saveToDisk(browser);
        return true;
    case IDC_CAMERA_SETTINGS:
        runCameraSettings(browser);
        return true;
    case IDC_CAMERA_STATUS:
        showCameraStatus(browser);
        return true;
    default:
        return false;
    }
}

void openImageInformation(CPhotoBrowserDlg& browser, int number)
{
    CImageInfoDlg dialog(number, &browser);
    dialog.DoModal();
}

}  // namespace qm::panel
