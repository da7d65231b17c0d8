// Save to disk: the selected pictures, as the camera stores them, into
// numbered JPEG files in a folder the user picks. Existing files are asked
// about; a full disk or a folder that cannot be written stops the save and
// leaves the files already written as they are.
#pragma once

namespace qm::panel {

class CPhotoBrowserDlg;

void saveToDisk(CPhotoBrowserDlg& browser);

}  // namespace qm::panel
