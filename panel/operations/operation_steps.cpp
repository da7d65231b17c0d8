#include "panel/operations/operation_steps.h"

#include <algorithm>

#include "panel/browser/photo_browser_dlg.h"
#include "panel/entry/panel_globals.h"
#include "platform/system/timing.h"

namespace qm::panel {

void waitResponsive(CPhotoBrowserDlg& browser, std::uint32_t milliseconds)
{
    constexpr std::uint32_t kStepMs = 100;
    const std::uint32_t start = sys::GetTickCount();
    while (sys::GetTickCount() - start < milliseconds) {
        browser.PumpMessages();
        sys::Sleep(std::min(kStepMs, milliseconds - (sys::GetTickCount() - start)));
    }
}

bool readPictureCount(std::uint32_t& count, int attempts)
{
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (driverLink().call(device::kTypeReadValue, device::kReadPicturesStored, &count))
            return true;
    }
    return false;
}

bool cameraHasRoom()
{
    std::uint32_t free = 0;
    return driverLink().call(device::kTypeReadValue, device::kReadPicturesFree, &free) && free != 0;
}

Erased erasePicture(int picture)
{
    std::uint32_t before = 0;
    const bool counted = readPictureCount(before);
    std::uint32_t number = std::uint32_t(picture);
    if (driverLink().call(device::kTypeAction, device::kActionErase, &number))
        return Erased::Yes;
    std::uint32_t after = 0;
    if (!counted || !readPictureCount(after))
        return Erased::Unknown;
    return after < before ? Erased::Yes : Erased::No;
}

void acknowledgeChange()
{
    driverLink().call(device::kTypeAction, device::kActionAcknowledgeChange);
}

void setButtonsAfterLoad(CPhotoBrowserDlg& browser)
{
    if (panelState().camera.connected == 1)
        browser.SetConnectedButtons();
    else
        browser.SetDisconnectedButtons(false);
}

}  // namespace qm::panel
