#include "tests/panel/save/modal_answers.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/ui/automation/automation.h"
#include "platform/ui/framework/afx.h"
#include "tests/support/windows_dir.h"

namespace qm::panel::test {

namespace automation = qm::ui::automation;

void whenWindow(std::function<ui::HWND()> find, std::function<void(ui::HWND)> action, int patience)
{
    automation::whenIdle([find, action, patience] {
        if (const ui::HWND window = find()) {
            action(window);
        } else if (patience > 0) {
            whenWindow(find, action, patience - 1);
        } else {
            ADD_FAILURE() << "the awaited dialog never appeared";
        }
    });
}

ui::HWND findDialogWith(const char* caption, int id)
{
    const ui::HWND window = automation::findWindow(caption);
    return window != nullptr && automation::findControl(window, id) != nullptr ? window : nullptr;
}

std::string photograph(ui::HWND window, const std::string& name)
{
    ui::RedrawWindow(window, nullptr, nullptr, ui::RDW_INVALIDATE | ui::RDW_UPDATENOW | ui::RDW_ALLCHILDREN);
    const std::string directory = qm::test::builtTestFile("artifacts/panel");
    std::filesystem::create_directories(directory);
    const std::string path = directory + "/" + name + ".png";
    EXPECT_TRUE(automation::screenshot(window, path)) << path;
    return path;
}

}  // namespace qm::panel::test
