// Transfer to application: the selected pictures are handed to the
// application, which pulls them one by one through the panel's entry.
#pragma once

namespace qm::panel {

class CPhotoBrowserDlg;

// The Transfer button.
void transferToApplication(CPhotoBrowserDlg& browser);
// Ends a running transfer: the browser goes idle with its buttons as the
// camera allows, polling again. Nothing happens when no transfer runs.
void finishTransfer(CPhotoBrowserDlg& browser);

}  // namespace qm::panel
