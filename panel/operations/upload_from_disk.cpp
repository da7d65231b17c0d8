#include "panel/operations/upload_from_disk.h"

#include "panel/browser/photo_browser_dlg.h"
#include "panel/entry/panel_globals.h"
#include "panel/operations/operation_steps.h"
#include "panel/operations/upload_file.h"
#include "panel/resources/panel_resources.h"
#include "platform/ui/framework/file_dialog.h"

namespace qm::panel {
namespace {

// Room for the folder and the names of a multiple selection.
constexpr std::size_t kFileNamesSize = 2048;

enum class Next {
    Continue,   // on with the next file
    Finish,     // no more files, the upload ends as usual
    Stop,       // the user stopped it: nothing more happens
};

// After a file that did not make it into the camera.
Next afterFailedUpload(CPhotoBrowserDlg& browser, const std::string& path, bool moreFollow)
{
    if (!cameraHasRoom()) {
        browser.ShowMessage(IDS_CAMERA_FULL);
        return Next::Finish;
    }
    if (!moreFollow) {
        browser.ShowMessage(formatPanelString(IDS_UPLOAD_FAILED, path));
        return Next::Finish;
    }
    const int answer = browser.ShowMessage(formatPanelString(IDS_UPLOAD_FAILED_ASK, path), ui::MB_YESNO);
    return answer == ui::IDYES ? Next::Continue : Next::Stop;
}

}  // namespace

std::vector<std::string> chooseUploadFiles(CPhotoBrowserDlg& browser)
{
    const std::string filter = browser.driverInfo().uploadFilter();
    ui::CFileDialog dialog(ui::TRUE, nullptr, nullptr, ui::OFN_HIDEREADONLY | ui::OFN_ALLOWMULTISELECT,
                           filter.empty() ? nullptr : filter.c_str(), &browser);
    std::vector<char> names(kFileNamesSize, '\0');
    dialog.m_ofn.lpstrFile = names.data();
    dialog.m_ofn.nMaxFile = ui::DWORD(names.size());
    std::vector<std::string> paths;
    if (dialog.DoModal() != ui::IDOK)
        return paths;
    for (ui::POSITION position = dialog.GetStartPosition(); position != 0;) {
        std::string path = dialog.GetNextPathName(position);
        if (!path.empty())
            paths.push_back(std::move(path));
    }
    return paths;
}

void uploadFromDisk(CPhotoBrowserDlg& browser)
{
    if (!browser.BeginOperation(kOperationUploading))
        return;
    if (!cameraHasRoom()) {
        browser.ShowMessage(IDS_CAMERA_FULL);
        browser.EndOperation();
        return;
    }
    const std::vector<std::string> files = chooseUploadFiles(browser);
    if (files.empty()) {
        browser.EndOperation();
        return;
    }

    browser.setAbort(false);
    browser.progressBar().SetVisible(true);
    for (std::size_t i = 0; i < files.size(); ++i) {
        browser.repaintNow();
        browser.SetProgressText(formatPanelString(IDS_PROGRESS_UPLOAD, int(i + 1)));
        if (!UploadFile(browser, files[i])) {
            if (panelState().camera.connected != 1) {  // lost, and handled
                browser.EndOperation();
                browser.HideProgress();
                return;
            }
            const Next next = afterFailedUpload(browser, files[i], i + 1 < files.size());
            if (next == Next::Stop) {
                browser.HideProgress();
                browser.EndOperation();
                return;
            }
            if (next == Next::Finish)
                break;
        }
        // Between files an Exit is heard; a Yes to its question ends here.
        browser.PumpMessages();
        if (browser.abortRequested()) {
            browser.setAbort(false);
            browser.HideProgress();
            browser.EndOperation();
            return;
        }
    }
    browser.HideProgress();
    acknowledgeChange();
    browser.EndOperation();
}

}  // namespace qm::panel
