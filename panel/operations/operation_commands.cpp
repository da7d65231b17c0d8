#include "panel/operations/operation_commands.h"

#include "panel/operations/connect_button.h"
#include "panel/operations/erase_pictures.h"
#include "panel/operations/take_picture.h"
#include "panel/operations/transfer_to_application.h"
#include "panel/operations/upload_from_disk.h"
#include "panel/resources/resource.h"

namespace qm::panel {

bool runOperationCommand(CPhotoBrowserDlg& browser, int id)
{
    switch (id) {
    case IDC_CONNECT:
        pressConnect(browser);
        return true;
    case IDC_TRANSFER:
        transferToApplication(browser);
        return true;
    case IDC_ERASE:
        erasePictures(browser);
        return true;
    case IDC_TAKE_PICTURE:
        takePicture(browser);
        return true;
    case IDC_UPLOAD:
        uploadFromDisk(browser);
        return true;
    default:
        return false;
    }
}

}  // namespace qm::panel
