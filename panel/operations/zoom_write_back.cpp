#include "panel/operations/zoom_write_back.h"

#include <cstdio>
#include <string>
#include <vector>

#include "panel/browser/photo_browser_dlg.h"
#include "panel/entry/panel_globals.h"
#include "panel/operations/operation_steps.h"
#include "panel/operations/upload_file.h"
#include "panel/resources/panel_resources.h"
#include "platform/system/directories.h"
#include "platform/system/files.h"

namespace qm::panel {
namespace {

using namespace device;

// "~DC" and the picture number in the temporary directory; no file is made.
std::string temporaryName(int picture)
{
    char path[4096] = {};
    const std::string directory = sys::temporaryDirectory();
    if (sys::GetTempFileName(directory.c_str(), "~DC", unsigned(picture), path) == 0)
        return {};
    return path;
}

bool lostCamera(CPhotoBrowserDlg& browser)
{
    if (browser.IsConnected())
        return false;
    browser.HandleDisconnect(true);
    browser.HideProgress();
    setButtonsAfterLoad(browser);
    return true;
}

bool savePicture(int picture, std::string& path)
{
    std::uint32_t argument = std::uint32_t(picture) & 0xFFFF;  // no quarter turns
    return driverLink().call(kTypeAction, kActionSavePicture, &argument, path.data());
}

}  // namespace

void writeBackZoomedPictures(CPhotoBrowserDlg& browser)
{
    const std::vector<int> zoomed = browser.zoomList();
    const int total = int(zoomed.size());
    std::vector<std::string> files;
    for (int k = total; k >= 1; --k) {
        const int picture = zoomed[std::size_t(k - 1)];
        std::string path = temporaryName(picture);
        if (path.empty())
            continue;
        browser.ShowProgress(0, formatPanelString(IDS_PROGRESS_SAVE, total - k + 1, total));
        browser.repaintNow();
        if (!savePicture(picture, path)) {
            if (lostCamera(browser))
                return;
            continue;
        }
        browser.ShowProgress(0, formatPanelString(IDS_PROGRESS_ERASE, total - k + 1, total));
        switch (erasePicture(picture)) {
        case Erased::Yes:
            files.push_back(path);
            break;
        case Erased::No:
            std::remove(path.c_str());  // the camera still holds the picture
            break;
        case Erased::Unknown:
            // The file may be the only copy left: it stays.
            if (lostCamera(browser))
                return;
            break;
        }
    }

    browser.Reload();
    for (std::size_t i = 0; i < files.size(); ++i) {
        browser.repaintNow();
        browser.SetProgressText(formatPanelString(IDS_PROGRESS_UPLOAD, int(i + 1)));
        if (UploadFile(browser, files[i])) {
            // The camera holds the picture again; the copy on disk goes.
            std::remove(files[i].c_str());
        } else if (lostCamera(browser)) {
            return;
        }
    }
    browser.Reload();
    browser.HideProgress();
    setButtonsAfterLoad(browser);
}

}  // namespace qm::panel
