// The Connect button: refreshes every picture from the camera, reconnecting
// first when the line speed in KVB.ini differs from the one in use.
#pragma once

namespace qm::panel {

class CPhotoBrowserDlg;

void pressConnect(CPhotoBrowserDlg& browser);

}  // namespace qm::panel
