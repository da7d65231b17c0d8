// The Camera settings button: which settings the camera allows now, the
// settings dialog, what became of the changes, and a new connection when
// the line speed changed.
#pragma once

namespace qm::panel {

class CPhotoBrowserDlg;

// Records the settings dialog as the browser's current dialog while it is
// open (so polling leaves the camera alone meanwhile).
void runCameraSettings(CPhotoBrowserDlg& browser);

}  // namespace qm::panel
