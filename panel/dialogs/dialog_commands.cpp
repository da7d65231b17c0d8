#include "panel/dialogs/dialog_commands.h"

namespace qm::panel {

// SCAFFOLD: the save, status, settings and image information dialogs come
// next; until then their buttons do nothing.
bool runDialogCommand(CPhotoBrowserDlg&, int)
{
    return false;
}

void openImageInformation(CPhotoBrowserDlg&, int) {}

}  // namespace qm::panel
