// The Camera settings button: which settings the camera allows now, the
// settings dialog, what became of the changes, and a new connection when
// the line speed changed.
#pragma once

namespace qm::panel {

class CPhotoBrowserDlg;

// The browser's dialog code while the settings dialog is open, so that
// polling leaves the camera alone meanwhile.
inline constexpr int kDialogCameraSettings = 2;

void runCameraSettings(CPhotoBrowserDlg& browser);

}  // namespace qm::panel
