#include "tests/panel/save/save_fixture.h"

#include <algorithm>
#include <filesystem>

#include "common/config/kvb_config.h"
#include "panel/save/save_folder_dlg.h"
#include "platform/system/files.h"
#include "platform/ui/commdlg/commdlg.h"

namespace qm::panel::test {
namespace {

ui::HWND findSaveAs() { return automation::findWindow("Save As"); }

// The overwrite question: the panel's caption, and its question text.
ui::HWND findOverwrite() { return findDialogWith("Corvel Camera", IDC_OVERWRITE_TEXT); }

}  // namespace

void SaveTest::startWith(unsigned pictures)
{
    stillcam::StillCameraConfig config;
    config.pictureCount = pictures;
    start(config);
}

void SaveTest::select(std::initializer_list<int> numbers)
{
    bool first = true;
    for (int number : numbers) {
        clickCell(number - browser().firstVisible(), {.control = !first});
        first = false;
    }
}

void SaveTest::answerFolderDialog(const std::string& folder, std::optional<std::string> prefix,
                                  std::optional<std::string> start, const std::string& screenshot)
{
    answerFolder(FolderAnswer{folder, std::move(prefix), std::move(start), screenshot, false});
}

void SaveTest::cancelFolderDialog(const std::string& folder)
{
    answerFolder(FolderAnswer{folder, std::nullopt, std::nullopt, {}, true});
}

void SaveTest::answerFolder(const FolderAnswer& answer)
{
    // The dialog opens in the folder the last save used.
    config::writeText("Save Directory to Disk", "Save Default Directory", answer.folder.c_str());
    whenWindow(findSaveAs, [this, answer](ui::HWND dialog) {
        const ui::HWND prefix = automation::findControl(dialog, IDC_SAVE_PREFIX);
        ASSERT_NE(prefix, nullptr);
        const ui::HWND child = ui::GetParent(prefix);
        if (answer.prefix)
            ui::SetWindowText(prefix, answer.prefix->c_str());
        if (answer.start)
            ui::SetWindowText(ui::GetDlgItem(child, IDC_SAVE_START), answer.start->c_str());
        folderShown_.folder = ui::getWindowText(ui::GetDlgItem(dialog, CSaveFolderDlg::kFolderFieldId));
        folderShown_.firstName = ui::getWindowText(ui::GetDlgItem(child, IDC_SAVE_FIRST_NAME));
        folderShown_.lastName = ui::getWindowText(ui::GetDlgItem(child, IDC_SAVE_LAST_NAME));
        folderShown_.groupText = ui::getWindowText(ui::GetDlgItem(child, IDC_SAVE_GROUP));
        folderShown_.fileTypeHidden = !ui::IsWindowVisible(ui::GetDlgItem(dialog, ui::cmb1));
        folderShown_.nameFieldHidden = !ui::IsWindowVisible(ui::GetDlgItem(dialog, ui::edt1));
        if (!answer.screenshot.empty())
            photograph(dialog, answer.screenshot);
        ASSERT_TRUE(automation::click(ui::GetDlgItem(child, answer.cancel ? ui::IDCANCEL : ui::IDOK)));
    });
}

void SaveTest::answerOverwrite(int button, const std::string& screenshot, std::function<void()> before)
{
    whenWindow(findOverwrite, [this, button, screenshot, before](ui::HWND dialog) {
        overwriteQuestions_.push_back(ui::getWindowText(ui::GetDlgItem(dialog, IDC_OVERWRITE_TEXT)));
        if (!screenshot.empty())
            photograph(dialog, screenshot);
        if (before)
            before();
        ASSERT_TRUE(automation::click(automation::findControl(dialog, button)));
    });
}

std::string SaveTest::saveSetting(const char* key) { return config::readText("Save Directory to Disk", key, ""); }

std::vector<std::string> SaveTest::filesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::uint8_t> SaveTest::fileBytes(const std::string& path)
{
    return sys::readWholeFile(path).value_or(std::vector<std::uint8_t>{});
}

}  // namespace qm::panel::test
