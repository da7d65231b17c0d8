#include "panel/save/save_to_disk.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "panel/browser/photo_browser_dlg.h"
#include "panel/entry/panel_globals.h"
#include "panel/resources/panel_resources.h"
#include "panel/save/file_names.h"
#include "panel/save/overwrite_dlg.h"
#include "panel/save/save_failure.h"
#include "panel/save/save_folder_dlg.h"
#include "panel/save/save_settings.h"
#include "platform/system/files.h"

namespace qm::panel {
namespace {

// What the save does with a file that exists: ask (the start), write over
// it without asking (after Yes to All), or nothing more (after Cancel).
enum class OverwriteMode { Ask, Yes, YesToAll, No, Stop };

// The dialog opens in the remembered folder through this name.
constexpr const char* kFolderMarker = "list.120";
constexpr const char* kSaveAsExtension = "JPG";

std::string summary(int total, int saved)
{
    const std::string pattern = panelString(IDS_SAVE_SUMMARY);
    const int length = std::snprintf(nullptr, 0, pattern.c_str(), total, saved, total - saved);
    if (length <= 0)
        return {};
    std::vector<char> text(std::size_t(length) + 1);
    std::snprintf(text.data(), text.size(), pattern.c_str(), total, saved, total - saved);
    return text.data();
}

// The user's choice of folder, prefix and first number; nothing when the
// dialog was cancelled or gave no folder.
struct SaveTarget {
    std::string folder;
    std::string prefix;
    int startNumber = 1;
};

std::optional<SaveTarget> askForTarget(CPhotoBrowserDlg& browser, int pictureCount)
{
    const SaveSettings settings = readSaveSettings();
    const std::string initialName =
        settings.folder.empty() ? kFolderMarker : withoutTrailingSlash(settings.folder) + "/" + kFolderMarker;
    CSaveFolderDlg dialog(initialName, pictureCount, &browser);
    if (dialog.DoModal() != ui::IDOK)
        return std::nullopt;
    SaveTarget target{folderOf(dialog.firstName()), dialog.prefix(), dialog.startNumber()};
    if (target.folder.empty())
        return std::nullopt;
    return target;
}

// Another name for a file the user does not want written over; empty when
// the user gives none.
std::string askForOtherName(CPhotoBrowserDlg& browser, const std::string& path)
{
    const std::string filter = panelString(IDS_SAVE_AS_FILTER);
    ui::CFileDialog dialog(ui::FALSE, kSaveAsExtension, path.c_str(), ui::OFN_HIDEREADONLY | ui::OFN_OVERWRITEPROMPT,
                           filter.c_str(), &browser);
    if (dialog.DoModal() != ui::IDOK)
        return {};
    return dialog.GetPathName();
}

// One save: the selected pictures, one file each, from the start number on.
class SaveRun {
public:
    SaveRun(CPhotoBrowserDlg& browser, const SaveTarget& target)
        : browser_(browser),
          cursor_(transferCursor()),
          folder_(withoutTrailingSlash(target.folder)),
          prefix_(target.prefix),
          next_(target.startNumber)
    {
    }

    // False when the camera was lost: the save ends there, without summary.
    bool run();
    int saved() const { return saved_; }
    long long nextNumber() const { return next_; }

private:
    // The path for the current picture after asking about an existing file;
    // empty when this picture is skipped or the save stops.
    std::string pathFor();
    bool save(int picture, const std::string& path);
    void advance(int picture);

    CPhotoBrowserDlg& browser_;
    TransferCursor& cursor_;
    std::string folder_;
    std::string prefix_;
    long long next_;
    int saved_ = 0;
    OverwriteMode mode_ = OverwriteMode::Ask;
};

bool SaveRun::run()
{
    while (!cursor_.done() && cursor_.current() != 0 && mode_ != OverwriteMode::Stop) {
        browser_.PumpMessages();
        if (browser_.abortRequested()) {
            browser_.setAbort(false);
            break;
        }
        browser_.repaintNow();
        const int picture = cursor_.current();
        const std::string path = pathFor();
        if (mode_ == OverwriteMode::Stop)
            break;
        if (path.empty()) {
            advance(picture);
            continue;
        }
        if (!save(picture, path))
            return false;
        advance(picture);
    }
    return true;
}

std::string SaveRun::pathFor()
{
    // Every picture that gets this far uses up its number, also when it is
    // skipped.
    std::string path = pictureFilePath(folder_, prefix_, next_++);
    if (mode_ == OverwriteMode::YesToAll || !sys::fileExists(path))
        return path;
    COverwriteDlg question(path, &browser_);
    switch (question.DoModal()) {
    case COverwriteDlg::kYes:
        mode_ = OverwriteMode::Yes;
        return path;
    case COverwriteDlg::kYesToAll:
        mode_ = OverwriteMode::YesToAll;
        return path;
    case COverwriteDlg::kNo:
        mode_ = OverwriteMode::No;
        return askForOtherName(browser_, path);
    default:
        mode_ = OverwriteMode::Stop;
        return {};
    }
}

bool SaveRun::save(int picture, const std::string& path)
{
    PanelState& state = panelState();
    browser_.ShowProgress(0, formatPanelString(IDS_PROGRESS_SAVE, cursor_.processed(), cursor_.total()));
    const int rotation = state.thumbs.find(picture).rotationShown;
    state.camera.transferRotation = rotation;
    std::uint32_t argument = (std::uint32_t(rotation) << 16) | (std::uint32_t(picture) & 0xFFFF);
    std::vector<char> target(path.begin(), path.end());
    target.push_back('\0');
    if (driverLink().call(device::kTypeAction, device::kActionSavePicture, &argument, target.data())) {
        ++saved_;
        return true;
    }
    // The device module tells a file that cannot be written from a camera
    // that failed; the first stops the save, as the next file would fail
    // alike.
    if (const std::optional<ui::UINT> message = fileFailureMessage(sys::GetLastError())) {
        browser_.ShowMessage(formatPanelString(*message, path));
        mode_ = OverwriteMode::Stop;
        return true;
    }
    if (browser_.IsConnected())
        return true;  // counted as failed; the next picture is tried
    browser_.HandleDisconnect(true);
    browser_.HideProgress();
    return false;
}

void SaveRun::advance(int picture)
{
    panelState().camera.transferRotation = panelState().thumbs.find(picture).rotationShown;
    cursor_.advance();
}

}  // namespace

void saveToDisk(CPhotoBrowserDlg& browser)
{
    if (!browser.BeginOperation(kOperationSaving))
        return;
    PanelState& state = panelState();
    if (state.thumbs.selectedCount() == 0) {
        browser.EndOperation();
        browser.ShowMessage(IDS_SELECT_PHOTOS_FIRST);
        return;
    }
    TransferCursor& cursor = transferCursor();
    cursor.reset(&state.thumbs);
    const std::optional<SaveTarget> target = askForTarget(browser, int(state.thumbs.selectedFrom(cursor.current())));
    if (!target) {
        browser.EndOperation();
        return;
    }

    browser.StopPolling();
    writeSaveFolder(target->folder);
    writeSavePrefix(target->prefix);
    writeFileNumber(target->startNumber);
    SaveRun run(browser, *target);
    if (!run.run()) {
        // The camera is gone; the disconnection handling has said so.
        browser.EndOperation();
        return;
    }
    browser.HideProgress();
    browser.StartPolling();
    if (run.saved() > 0)
        browser.ShowMessage(summary(cursor.total(), run.saved()));
    writeFileNumber(run.nextNumber());
    browser.EndOperation();
}

}  // namespace qm::panel
