// Upload from disk: image files chosen in an Open dialog become new pictures
// in the camera, one after the other.
#pragma once

#include <string>
#include <vector>

namespace qm::panel {

class CPhotoBrowserDlg;

// The Upload from disk button.
void uploadFromDisk(CPhotoBrowserDlg& browser);
// The Open dialog with multiple selection and the device module's filter;
// the chosen paths in the dialog's order, none when it was cancelled.
std::vector<std::string> chooseUploadFiles(CPhotoBrowserDlg& browser);

}  // namespace qm::panel
