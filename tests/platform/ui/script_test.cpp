// The UI script language, run by another thread while this one pumps, as a
// host's loop would.
#include <filesystem>
#include <future>
#include <thread>

#include "platform/ui/automation/script.h"
#include "platform/ui/dialogs/message_box.h"
#include "platform/ui/resource/resource.h"
#include "tests/platform/ui/resources/test_resource.h"
#include "tests/platform/ui/ui_test_support.h"
#include "tests/support/temp_dir.h"

namespace qm::ui::test {
namespace {

HINSTANCE self() { return instanceOf(reinterpret_cast<const void*>(&self)); }

constexpr UINT kScriptDone = WM_APP + 7;
constexpr UINT kEnableApply = WM_APP + 8;
int applyAnswers = 0;
int lastAnswer = 0;

LONG_PTR formProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message == kEnableApply) {
        EnableWindow(GetDlgItem(dialog, IDC_APPLY), TRUE);
        return TRUE;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDC_APPLY) {
        lastAnswer = MessageBox(dialog, "Sure to apply?", "Corvel Camera", MB_YESNO);
        ++applyAnswers;
        return TRUE;
    }
    return FALSE;
}

// Runs the script on its own thread and pumps here until it is done.
bool runWhilePumping(const std::vector<std::string>& lines, std::string& error)
{
    std::promise<bool> result;
    auto finished = result.get_future();
    std::thread script([&] {
        bool ok = runScript(lines, &error);
        result.set_value(ok);
        PostMessage(nullptr, kScriptDone, 0, 0);
    });
    MSG msg;
    while (GetMessage(&msg, nullptr, 0, 0) > 0 && msg.message != kScriptDone) {
        HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
        if (!root || !IsDialogMessage(root, &msg)) {
            TranslateMessage(&msg);
            DispatchMessage(&msg);
        }
    }
    script.join();
    return finished.get();
}

class ScriptTest : public UiTest {};

TEST_F(ScriptTest, ClicksKeysAnswersAndScreenshots)
{
    applyAnswers = 0;
    HWND form = CreateDialogParam(self(), MAKEINTRESOURCE(IDD_FORM), nullptr, formProc, 0);
    ShowWindow(form, SW_SHOW);
    qm::test::TempDir dir;
    const std::string shot = dir.file("form.png");
    std::string error;
    const bool ok = runWhilePumping({"# answers are registered before what asks",
                                     "wait-window \"Form\"",
                                     "answer-message-box yes",
                                     "click \"Form\" 1010",
                                     "expect-message-box \"Sure to apply\"",
                                     "key n alt",
                                     "type \"Cam 7\"",
                                     "screenshot \"Form\" \"" + shot + "\"",
                                     "advance 500"},
                                    error);
    ASSERT_TRUE(ok) << error;
    EXPECT_EQ(applyAnswers, 1);
    EXPECT_EQ(lastAnswer, IDYES);
    EXPECT_EQ(getDlgItemText(form, IDC_NAME), "Cam 7");
    EXPECT_GT(std::filesystem::file_size(shot), 100u);
}

TEST_F(ScriptTest, WaitsForAControlToBeEnabled)
{
    applyAnswers = 0;
    HWND form = CreateDialogParam(self(), MAKEINTRESOURCE(IDD_FORM), nullptr, formProc, 0);
    ShowWindow(form, SW_SHOW);
    EnableWindow(GetDlgItem(form, IDC_APPLY), FALSE);
    std::string error;
    EXPECT_FALSE(runWhilePumping({"wait-enabled \"Form\" 1010 100"}, error));
    EXPECT_NE(error.find("did not become enabled"), std::string::npos) << error;

    // The button comes alive a little later; the script waits for it.
    std::thread later([form] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        PostMessage(form, kEnableApply, 0, 0);
    });
    const bool ok = runWhilePumping({"answer-message-box no", "wait-enabled \"Form\" 1010 5000", "click \"Form\" 1010",
                                     "expect-message-box \"Sure to apply\""},
                                    error);
    later.join();
    ASSERT_TRUE(ok) << error;
    EXPECT_EQ(applyAnswers, 1);
}

TEST_F(ScriptTest, MistakesNameTheirLine)
{
    std::string error;
    EXPECT_FALSE(runScript({"", "# nothing yet", "bogus 1"}, &error));
    EXPECT_EQ(error, "line 3: unknown command 'bogus'");
    EXPECT_FALSE(runScript({"click \"Form\""}, &error));
    EXPECT_NE(error.find("needs more arguments"), std::string::npos);
    EXPECT_FALSE(runScript({"type \"open"}, &error));
    EXPECT_NE(error.find("unterminated"), std::string::npos);
    EXPECT_FALSE(runWhilePumping({"wait-window \"Nothing Like It\" 50"}, error));
    EXPECT_NE(error.find("Nothing Like It"), std::string::npos);
}

}  // namespace
}  // namespace qm::ui::test
