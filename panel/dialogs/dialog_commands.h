// The browser's buttons that open a dialog: Save to disk, Camera settings
// and Camera status; and a cell's image information.
#pragma once

namespace qm::panel {

class CPhotoBrowserDlg;

// Runs the command of button `id`; false when `id` is none of them.
bool runDialogCommand(CPhotoBrowserDlg& browser, int id);
// The image information dialog of picture `number`, shown modally.
void openImageInformation(CPhotoBrowserDlg& browser, int number);

}  // namespace qm::panel
