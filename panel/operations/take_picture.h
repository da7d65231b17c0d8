// Take a picture: the camera shoots in record mode and the new picture's
// thumbnail comes into view.
#pragma once

namespace qm::panel {

class CPhotoBrowserDlg;

// The Take a picture button (and the service screen's shortcut).
void takePicture(CPhotoBrowserDlg& browser);

}  // namespace qm::panel
