// Save to disk on the real browser, device module and simulated camera:
// picking pictures, answering the save's dialogs as a user would (and
// photographing them), and what ended up on disk and in KVB.ini.
#pragma once

#include <functional>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/panel/browser/browser_fixture.h"
#include "tests/panel/save/modal_answers.h"
#include "tests/support/temp_dir.h"

namespace qm::panel::test {

class SaveTest : public BrowserTest {
protected:
    // A model-16 camera with `pictures` generated pictures, connected and
    // loaded.
    void startWith(unsigned pictures);
    // Selects these pictures (all in view).
    void select(std::initializer_list<int> numbers);

    // The next folder dialog opens in `folder` (as the last save left it)
    // and is confirmed with its OK, the prefix and start number typed first
    // when given; photographed before that when `screenshot` names it.
    void answerFolderDialog(const std::string& folder, std::optional<std::string> prefix = {},
                            std::optional<std::string> start = {}, const std::string& screenshot = {});
    void cancelFolderDialog(const std::string& folder);
    // What the folder dialog showed when it was answered.
    struct FolderShown {
        std::string folder;
        std::string firstName;
        std::string lastName;
        std::string groupText;
        bool fileTypeHidden = false;
        bool nameFieldHidden = false;
    };
    const FolderShown& folderShown() const { return folderShown_; }

    // The next overwrite question is answered with `button` (its text kept
    // in overwriteQuestions()); `before` runs just before the click.
    void answerOverwrite(int button, const std::string& screenshot = {}, std::function<void()> before = {});
    const std::vector<std::string>& overwriteQuestions() const { return overwriteQuestions_; }

    void pressSave() { click(IDC_SAVE_TO_DISK); }

    // The save's settings in KVB.ini ("" when absent).
    static std::string saveSetting(const char* key);
    // The names of the files in a folder, sorted.
    static std::vector<std::string> filesIn(const std::string& folder);
    static std::vector<std::uint8_t> fileBytes(const std::string& path);

    qm::test::TempDir photos;

private:
    struct FolderAnswer {
        std::string folder;
        std::optional<std::string> prefix;
        std::optional<std::string> start;
        std::string screenshot;
        bool cancel = false;
    };
    void answerFolder(const FolderAnswer& answer);

    FolderShown folderShown_;
    std::vector<std::string> overwriteQuestions_;
};

}  // namespace qm::panel::test
