// Erase on the simulated camera: single pictures walked lowest first while
// the camera closes up its numbers, erase all behind its question, a
// picture the camera refuses to erase, and Exit in the middle.
#include "tests/panel/operations/operations_fixture.h"

namespace qm::panel::test {
namespace {

using stillcam::CMD_ERASE;

const char* const kEraseAll = "Are you sure to erase all Photos?";
const char* const kAskAbort = "Are you sure you want to abort this process?";

class Erase : public OperationsTest {};

TEST_F(Erase, SelectedPicturesGoOneByOneAndTheRestAreRenumbered)
{
    startWith(6);
    const std::vector<std::uint32_t> keys = cameraKeys();
    watchProgressAt(CMD_ERASE);
    select({2, 3, 5});
    click(IDC_ERASE);

    // The camera closes up after every erase: 2, then the old 3 as 2, then
    // the old 5 as 3.
    EXPECT_EQ(erasedNumbers(), (std::vector<unsigned>{2, 2, 3}));
    EXPECT_EQ(progressTexts(), (std::vector<std::string>{"Erase 1/3\n", "Erase 2/3\n", "Erase 3/3\n"}));
    EXPECT_EQ(cameraKeys(), (std::vector<std::uint32_t>{keys[0], keys[3], keys[5]}));
    EXPECT_EQ(panelState().camera.count, 3u);
    ASSERT_EQ(panelState().thumbs.size(), 3u);
    int expected = 1;
    for (const ThumbItem& item : panelState().thumbs)
        EXPECT_EQ(item.number, expected++);
    EXPECT_TRUE(selectedNumbers().empty());
    EXPECT_EQ(cellNumbers(), (std::vector<int>{1, 2, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(cellsShowTheirPictures()) << "the pictures moved up on screen too";
    EXPECT_FALSE(browser().progressBar().visible());
    EXPECT_EQ(browser().currentOperation(), kOperationIdle);
    EXPECT_TRUE(showsConnected());
    EXPECT_TRUE(messages().empty());
}

TEST_F(Erase, EraseAllAsksFirst)
{
    startWith(4);
    click(IDC_SELECT_ALL);
    answerWithScreenshot(ui::IDNO, "question-erase-all");
    click(IDC_ERASE);
    ASSERT_EQ(messages(), std::vector<std::string>{kEraseAll});
    EXPECT_EQ(heard(CMD_ERASE), 0u);
    EXPECT_EQ(camera().pictureCount(), 4u);
    EXPECT_EQ(selectedNumbers(), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(browser().currentOperation(), kOperationIdle);

    automation::answerNextMessageBox(ui::IDYES);
    click(IDC_ERASE);
    EXPECT_EQ(erasedNumbers(), std::vector<unsigned>{0}) << "one request erases everything";
    EXPECT_EQ(camera().pictureCount(), 0u);
    EXPECT_EQ(panelState().camera.count, 0u);
    EXPECT_TRUE(panelState().thumbs.empty());
    EXPECT_EQ(cellNumbers(), std::vector<int>(kCellCount, 0));
    EXPECT_EQ(messages().size(), 2u);
}

TEST_F(Erase, PicturesTheCameraKeepsAfterEraseAllAreLoadedAgain)
{
    startWith(3);
    const std::vector<std::uint32_t> keys = cameraKeys();
    ASSERT_TRUE(camera().protectPicture(2));
    click(IDC_SELECT_ALL);
    automation::answerNextMessageBox(ui::IDYES);
    click(IDC_ERASE);
    EXPECT_EQ(cameraKeys(), std::vector<std::uint32_t>{keys[1]});
    EXPECT_EQ(panelState().camera.count, 1u);
    ASSERT_EQ(panelState().thumbs.size(), 1u);
    EXPECT_TRUE(panelState().pictures.find(1).drawable());
    EXPECT_EQ(cellNumbers()[0], 1);
    EXPECT_EQ(cellNumbers()[1], 0);
}

TEST_F(Erase, TheOnlyPictureGoesWithoutTheQuestion)
{
    startWith(1);
    select({1});
    click(IDC_ERASE);
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(erasedNumbers(), std::vector<unsigned>{1});
    EXPECT_EQ(camera().pictureCount(), 0u);
    EXPECT_TRUE(panelState().thumbs.empty());
}

TEST_F(Erase, NothingSelectedAsksForASelection)
{
    startWith(2);
    automation::answerNextMessageBox(ui::IDOK);
    click(IDC_ERASE);
    EXPECT_EQ(messages(), std::vector<std::string>{
                              "Before Pressing this Button,\nselect one or more Photos on TWAIN Driver, please!"});
    EXPECT_EQ(heard(CMD_ERASE), 0u);
}

TEST_F(Erase, APictureTheCameraRefusesIsReportedOnceAndSkipped)
{
    startWith(6);
    const std::vector<std::uint32_t> keys = cameraKeys();
    ASSERT_TRUE(camera().protectPicture(3));
    watchProgressAt(CMD_ERASE);
    select({2, 3, 5});
    // The report shows while the erase runs: the browser behind it shows
    // the progress bar.
    answerWithScreenshot(ui::IDOK, "erase-failed");
    click(IDC_ERASE);

    EXPECT_EQ(messages(), std::vector<std::string>{"Erase image No. 2 fail."}) << "the old 3 is now 2";
    EXPECT_EQ(erasedNumbers(), (std::vector<unsigned>{2, 2, 4}));
    EXPECT_EQ(progressTexts(), (std::vector<std::string>{"Erase 1/3\n", "Erase 2/3\n", "Erase 3/3\n"}));
    EXPECT_EQ(cameraKeys(), (std::vector<std::uint32_t>{keys[0], keys[2], keys[3], keys[5]}));
    ASSERT_EQ(panelState().thumbs.size(), 4u);
    EXPECT_EQ(selectedNumbers(), std::vector<int>{2}) << "the kept picture stays selected";
    EXPECT_TRUE(cellsShowTheirPictures());
    EXPECT_TRUE(showsConnected());
}

TEST_F(Erase, AnEraseWhoseAnswerIsLostIsToldByTheCameraCount)
{
    startWith(6);
    const std::vector<std::uint32_t> keys = cameraKeys();
    // The camera erases picture 2, but its answer arrives damaged.
    ASSERT_TRUE(camera().injectFaults("bad-checksum cmd=erase"));
    select({2, 3, 5});
    click(IDC_ERASE);
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(erasedNumbers(), (std::vector<unsigned>{2, 2, 3})) << "no unselected picture is hit";
    EXPECT_EQ(cameraKeys(), (std::vector<std::uint32_t>{keys[0], keys[3], keys[5]}));
    EXPECT_EQ(panelState().thumbs.size(), 3u);
}

TEST_F(Erase, ExitAsksOnceAndTheEraseStopsBeforeTheNextPicture)
{
    startWith(6);
    select({1, 2, 3});
    answerWithScreenshot(ui::IDYES, "question-abort");
    queueClick(IDC_ERASE);
    queueClick(IDC_EXIT);  // heard when the erase first looks at its messages
    pump();
    EXPECT_EQ(messages(), std::vector<std::string>{kAskAbort});
    EXPECT_EQ(heard(CMD_ERASE), 0u);
    EXPECT_EQ(camera().pictureCount(), 6u);
    EXPECT_FALSE(browser().abortRequested()) << "the erase took the abort";
    EXPECT_EQ(browser().currentOperation(), kOperationIdle);
    EXPECT_TRUE(ui::IsWindowVisible(window()));
    EXPECT_TRUE(showsConnected());

    // Answered No, the erase goes on.
    automation::answerNextMessageBox(ui::IDNO);
    queueClick(IDC_ERASE);
    queueClick(IDC_EXIT);
    pump();
    EXPECT_EQ(erasedNumbers(), (std::vector<unsigned>{1, 1, 1}));
    EXPECT_EQ(camera().pictureCount(), 3u);
}

TEST_F(Erase, ASecondExitQuitsAtOnce)
{
    startWith(6);
    select({1, 2});
    // The second Exit comes while the first one's question is still up.
    answerWithScreenshot(ui::IDYES, "question-abort-again", [this] { queueClick(IDC_EXIT); });
    queueClick(IDC_ERASE);
    queueClick(IDC_EXIT);
    pump();
    EXPECT_EQ(messages(), std::vector<std::string>{kAskAbort}) << "asked once";
    EXPECT_FALSE(ui::IsWindowVisible(window()));
    EXPECT_EQ(panelState().camera.connected, 0);
    EXPECT_EQ(heard(CMD_ERASE), 0u);
    EXPECT_EQ(browser().currentOperation(), kOperationIdle);
}

}  // namespace
}  // namespace qm::panel::test
