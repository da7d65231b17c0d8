// Small steps the camera operations share.
#pragma once

#include <cstdint>

namespace qm::panel {

class CPhotoBrowserDlg;

// Waits `milliseconds` while the browser keeps handling its messages.
void waitResponsive(CPhotoBrowserDlg& browser, std::uint32_t milliseconds);
// Refreshes the camera's picture count into `count`; up to `attempts` tries.
bool readPictureCount(std::uint32_t& count, int attempts = 1);
// The camera has room for another picture; false when it cannot tell.
bool cameraHasRoom();
enum class Erased { Yes, No, Unknown };
// Erases one picture. An erase whose answer was lost may still have
// happened, so a failed call is checked against the camera's count:
// Unknown when the count cannot be read.
Erased erasePicture(int picture);
// Acknowledges the camera-changed state.
void acknowledgeChange();
// The buttons after a load: by the capability mask when the camera is
// connected, else the disconnected set without Camera settings.
void setButtonsAfterLoad(CPhotoBrowserDlg& browser);

}  // namespace qm::panel
