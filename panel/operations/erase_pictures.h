// Erase: the selected pictures leave the camera one by one, or all at once
// when every picture is selected and the user agrees.
#pragma once

namespace qm::panel {

class CPhotoBrowserDlg;

// The Erase button.
void erasePictures(CPhotoBrowserDlg& browser);

}  // namespace qm::panel
