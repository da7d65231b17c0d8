// The browser's camera command buttons: Connect, Transfer, Erase, Take a
// picture and Upload from disk.
#pragma once

namespace qm::panel {

class CPhotoBrowserDlg;

// Runs the operation of button `id`; false when `id` is none of them.
bool runOperationCommand(CPhotoBrowserDlg& browser, int id);

}  // namespace qm::panel
