// Uploading one image file into the camera as a new picture, checked by the
// camera's picture count, and its thumbnail fetched into the browser.
#pragma once

#include <string>

namespace qm::panel {

class CPhotoBrowserDlg;

// True when the camera holds one picture more afterwards.
bool UploadFile(CPhotoBrowserDlg& browser, const std::string& path);

}  // namespace qm::panel
