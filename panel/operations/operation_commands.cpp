#include "panel/operations/operation_commands.h"

#include "panel/operations/connect_button.h"
#include "panel/operations/transfer_to_application.h"
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
    default:
        return false;
    }
}

}  // namespace qm::panel
