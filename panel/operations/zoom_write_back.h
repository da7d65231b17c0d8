// The zoom write-back: pictures the camera holds zoomed are saved in their
// fully zoomed form, erased, and uploaded back as new pictures.
#pragma once

namespace qm::panel {

class CPhotoBrowserDlg;

// Runs over the browser's zoom list, highest picture first so that erasing
// never shifts a number still to be handled.
void writeBackZoomedPictures(CPhotoBrowserDlg& browser);

}  // namespace qm::panel
