#include "panel/entry/picture_delivery.h"

#include "panel/browser/photo_browser_dlg.h"
#include "panel/entry/panel_globals.h"
#include "panel/operations/transfer_to_application.h"
#include "panel/resources/panel_resources.h"
#include "panel/resources/resource.h"

namespace qm::panel {
namespace {

using namespace device;

// The rotation the next download applies, as CMUI_IMAGE_SIZE recorded it.
std::uint8_t recordedRotation()
{
    return std::uint8_t(panelState().camera.transferRotation & 3);
}

}  // namespace

std::uint32_t reportImageSize(std::int32_t* width, std::int32_t* height)
{
    PanelState& state = panelState();
    if (!driverLink().bound() || state.thumbs.selectedCount() == 0 || width == nullptr || height == nullptr)
        return 0;
    const int number = transferCursor().current();
    deliveryNumber() = number;
    state.camera.transferRotation = state.thumbs.find(number).rotationShown;

    std::uint32_t w = std::uint32_t(number);
    std::uint32_t h = 0;
    if (!driverLink().call(kTypeSize, kSizeOfPicture, &w, &h) &&
        !driverLink().call(kTypeSize, kSizeLargestOfModel, &w, &h))
        return 0;
    const bool turned = recordedRotation() == kRotate90 || recordedRotation() == kRotate270;
    *width = std::int32_t(turned ? h : w);
    *height = std::int32_t(turned ? w : h);
    return 1;
}

std::uint32_t deliverImage(std::uint8_t* buffer)
{
    CPhotoBrowserDlg* browser = browserDialog();
    if (!driverLink().bound() || buffer == nullptr)
        return 0;
    TransferCursor& cursor = transferCursor();
    // A click waiting for the browser (Exit among them) is handled now.
    if (browser != nullptr)
        browser->PumpMessages();
    if (browser != nullptr && browser->abortRequested())
        return 0;

    BusyCursor& busy = applicationBusyCursor();
    busy.begin();
    std::uint32_t number = std::uint32_t(cursor.current());
    deliveryNumber() = int(number);
    if (browser != nullptr)
        browser->ShowProgress(0, formatPanelString(IDS_LOAD_PROGRESS, cursor.processed(), cursor.total()));

    buffer[0] = recordedRotation();
    const bool delivered = driverLink().call(kTypeAction, kActionGetPicture, &number, buffer);

    deliveryNumber() = cursor.advance();
    if (ui::CWinApp* app = ui::AfxGetApp())
        app->EndWaitCursor();
    if (browser != nullptr)
        browser->RedrawWindow(nullptr, nullptr, ui::RDW_INVALIDATE | ui::RDW_UPDATENOW | ui::RDW_ALLCHILDREN);
    busy.endAndPulse();

    if (!delivered) {
        if (browser != nullptr) {
            if (!browser->IsConnected()) {
                browser->HandleDisconnect(!browser->abortRequested());
                browser->setAbort(true);
            }
            browser->HideProgress();
        }
        return 0;
    }
    if (browser != nullptr && browser->abortRequested()) {
        browser->HandleDisconnect(false);
        browser->HideProgress();
        return 0;
    }
    return 1;
}

std::uint32_t reportTransferCount(std::uint32_t* count)
{
    if (count == nullptr)
        return 0;
    CPhotoBrowserDlg* browser = browserDialog();
    if (browser != nullptr && browser->abortRequested()) {
        *count = 0;
        finishTransfer(*browser);
        return 0;
    }
    TransferCursor& cursor = transferCursor();
    deliveryNumber() = cursor.current();
    *count = deliveryNumber() != 0 ? std::uint32_t(cursor.remaining(panelState().camera.connected == 1)) : 0;
    if (*count == 0 && browser != nullptr)
        finishTransfer(*browser);
    return 1;
}

}  // namespace qm::panel
