// Upload from disk on the simulated camera: several files in the Open
// dialog's order, a failure in the middle answered both ways, a file the
// camera cannot take, and what the camera then holds.
#include "platform/system/files.h"
#include "simulators/stillcam/imaging/jpeg_codec.h"
#include "tests/panel/operations/operations_fixture.h"

namespace qm::panel::test {
namespace {

using stillcam::CMD_BEGIN_UPLOAD;

class UploadFromDisk : public OperationsTest {
protected:
    // A JPEG on disk, in a folder of its own.
    std::string writeJpeg(const std::string& name, int seed)
    {
        const std::string path = files.file(name);
        EXPECT_TRUE(sys::writeFileAtomically(path, smallJpeg(320, 240, seed)));
        return path;
    }
    std::string askContinue(const std::string& path) const
    {
        return "Upload " + path +
               " is Failed!\nPress \"YES\" to continue the Process,\notherwise, the Process will be determined.  ";
    }

    qm::test::TempDir files;
};

TEST_F(UploadFromDisk, EveryChosenFileBecomesAPictureThatDownloadsAndDecodes)
{
    startWith(2);
    const std::vector<std::string> paths = {writeJpeg("c.jpg", 3), writeJpeg("a.jpg", 1), writeJpeg("b.jpg", 2)};
    watchProgressAt(CMD_BEGIN_UPLOAD);
    automation::answerNextFileDialog(paths);
    click(IDC_UPLOAD);

    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(progressTexts(), (std::vector<std::string>{"Upload 1\n", "Upload 2\n", "Upload 3\n"}));
    ASSERT_EQ(camera().pictureCount(), 5u);
    EXPECT_EQ(panelState().camera.count, 5u);
    ASSERT_EQ(panelState().pictures.size(), 5u);
    EXPECT_EQ(browser().currentOperation(), kOperationIdle);
    EXPECT_FALSE(browser().progressBar().visible());
    EXPECT_TRUE(showsConnected());
    const auto pictures = camera().pictures();
    for (unsigned number = 3; number <= 5; ++number) {
        EXPECT_TRUE(pictures[number - 1].uploaded) << number;
        EXPECT_TRUE(panelState().pictures.find(int(number)).drawable()) << number;
        // The picture comes back through the device module as a bitmap, at
        // the size the module reports for it, as every caller asks first.
        std::uint32_t width = number;
        std::uint32_t height = 0;
        ASSERT_TRUE(driverLink().call(device::kTypeSize, device::kSizeOfPicture, &width, &height)) << number;
        EXPECT_EQ(width, 640u);
        EXPECT_EQ(height, 480u);
        std::vector<std::uint8_t> bitmap(device::pictureBufferSize(width, height), 0);
        std::uint32_t picture = number;
        EXPECT_TRUE(driverLink().call(device::kTypeAction, device::kActionGetPicture, &picture, bitmap.data()))
            << number;
        const auto decoded = stillcam::decodeJpeg(camera().pictureData(number), true);
        ASSERT_TRUE(decoded) << number;
        EXPECT_EQ(decoded->width, 640);
        // In the dialog's order: c (blue 3 * 37), a, b.
        const int seeds[] = {3, 1, 2};
        EXPECT_NEAR(decoded->at(320, 240)[2], seeds[number - 3] * 37, 12) << number;
    }
}

TEST_F(UploadFromDisk, AFailureInTheMiddleAsksWhetherToGoOn)
{
    startWith(1);
    const std::vector<std::string> paths = {writeJpeg("a.jpg", 1), writeJpeg("b.jpg", 2), writeJpeg("c.jpg", 3)};
    // The camera does not answer when the second upload begins.
    ASSERT_TRUE(camera().injectFaults("no-reply cmd=begin-upload skip=1"));
    automation::answerNextFileDialog(paths);
    answerWithScreenshot(ui::IDNO, "question-upload-failed");
    click(IDC_UPLOAD);
    EXPECT_EQ(messages(), std::vector<std::string>{askContinue(paths[1])});
    EXPECT_EQ(heard(CMD_BEGIN_UPLOAD), 2u) << "No: the third file stays on disk";
    EXPECT_EQ(camera().pictureCount(), 2u);
    EXPECT_EQ(panelState().camera.count, 2u);
    EXPECT_EQ(browser().currentOperation(), kOperationIdle);
    EXPECT_FALSE(browser().progressBar().visible());

    ASSERT_TRUE(camera().injectFaults("no-reply cmd=begin-upload skip=1"));
    automation::clearMessageBoxes();
    automation::answerNextFileDialog(paths);
    automation::answerNextMessageBox(ui::IDYES);
    click(IDC_UPLOAD);
    EXPECT_EQ(messages(), std::vector<std::string>{askContinue(paths[1])});
    EXPECT_EQ(camera().pictureCount(), 4u) << "Yes: the first and the third";
    EXPECT_EQ(panelState().pictures.size(), 4u);
}

TEST_F(UploadFromDisk, AFileThatIsNoPictureFailsWithoutBotheringTheCamera)
{
    startWith(1);
    const std::string text = files.file("notes.jpg");
    ASSERT_TRUE(sys::writeFileAtomically(text, std::string("no picture in here")));
    automation::answerNextFileDialog({text});
    automation::answerNextMessageBox(ui::IDOK);
    answerWithScreenshot(ui::IDOK, "message-upload-failed");
    click(IDC_UPLOAD);
    EXPECT_EQ(messages(), (std::vector<std::string>{"File Format isn't supported!", "Upload " + text + " is Failed!"}));
    EXPECT_EQ(heard(CMD_BEGIN_UPLOAD), 0u);
    EXPECT_EQ(camera().pictureCount(), 1u);
    EXPECT_TRUE(showsConnected());
}

TEST_F(UploadFromDisk, ExitBetweenFilesStopsTheRest)
{
    startWith(1);
    const std::vector<std::string> paths = {writeJpeg("a.jpg", 1), writeJpeg("b.jpg", 2), writeJpeg("c.jpg", 3)};
    ASSERT_TRUE(camera().injectFaults("no-reply cmd=begin-upload"));
    automation::answerNextFileDialog(paths);
    // Yes, go on; but Exit is pressed meanwhile and its question answered Yes.
    answerWithScreenshot(ui::IDYES, "question-upload-go-on", [this] {
        automation::answerNextMessageBox(ui::IDYES);
        queueClick(IDC_EXIT);
    });
    click(IDC_UPLOAD);
    EXPECT_EQ(messages(),
              (std::vector<std::string>{askContinue(paths[0]), "Are you sure you want to abort this process?"}));
    EXPECT_EQ(heard(CMD_BEGIN_UPLOAD), 1u);
    EXPECT_EQ(camera().pictureCount(), 1u);
    EXPECT_EQ(browser().currentOperation(), kOperationIdle);
    EXPECT_FALSE(browser().abortRequested());
    EXPECT_TRUE(ui::IsWindowVisible(window()));
}

TEST_F(UploadFromDisk, CancelledOrFullNothingIsSent)
{
    startWith(1);
    automation::answerNextFileDialog({});
    click(IDC_UPLOAD);
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(browser().currentOperation(), kOperationIdle);

    camera().overrideCameraInfoByte(18, 0);
    camera().overrideCameraInfoByte(19, 0);
    automation::answerNextMessageBox(ui::IDOK);
    click(IDC_UPLOAD);
    EXPECT_EQ(messages(),
              std::vector<std::string>{"We couldn't get or take any other Photos!\nThe space is full in your Camera!"});
    EXPECT_EQ(heard(CMD_BEGIN_UPLOAD), 0u);
}

}  // namespace
}  // namespace qm::panel::test
