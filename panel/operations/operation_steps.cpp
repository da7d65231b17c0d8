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
