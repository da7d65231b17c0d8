#include "panel/operations/upload_file.h"

#include "panel/browser/photo_browser_dlg.h"
#include "panel/entry/panel_globals.h"
#include "panel/operations/operation_steps.h"
#include "panel/resources/panel_resources.h"
#include "platform/system/timing.h"

namespace qm::panel {
namespace {

using namespace device;

// After an upload the camera may take a while to answer again.
constexpr std::uint32_t kSettleMs = 5000;
constexpr std::uint32_t kSettleStepMs = 200;

void waitUntilAnswering()
{
    const std::uint32_t start = sys::GetTickCount();
    while (sys::GetTickCount() - start < kSettleMs) {
        if (driverLink().call(kTypeStatus, kStatusCameraAnswers))
            return;
        sys::Sleep(kSettleStepMs);
    }
}

}  // namespace

bool UploadFile(CPhotoBrowserDlg& browser, const std::string& path)
{
    waitForMessage();
    if (!browser.IsConnected()) {
        browser.HandleDisconnect(true);
        return false;
    }
    // Without the count before, a finished upload could not be told from a
    // failed one (and the user might send the picture twice).
    std::uint32_t before = 0;
    if (!readPictureCount(before, 3)) {
        if (!browser.IsConnected())
            browser.HandleDisconnect(true);
        return false;
    }
    std::string file = path;
    if (!driverLink().call(kTypeStatus, kStatusFileStorable, file.data())) {
        browser.ShowMessage(IDS_FORMAT_UNSUPPORTED);
        return false;
    }

    moduleBusyCursor().begin();
    driverLink().call(kTypeAction, kActionUpload, file.data());
    waitUntilAnswering();
    std::uint32_t after = 0;
    const bool counted = readPictureCount(after);
    moduleBusyCursor().end();

    if (!counted || after != before + 1) {
        if (!browser.IsConnected())
            browser.HandleDisconnect(true);
        return false;
    }
    PanelState& state = panelState();
    state.camera.count = before + 1;
    browser.ShowProgress(0, formatPanelString(IDS_PROGRESS_PICTURE, int(before + 1)));
    browser.FetchThumbnail(int(before + 1));
    browser.HideProgress();
    browser.RedrawCells();
    waitForMessage();
    return true;
}

}  // namespace qm::panel
