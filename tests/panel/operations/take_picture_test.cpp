// Take a picture on the simulated camera: the count grows and the new
// picture comes into view; a camera that takes nothing, one that is full
// and one that is not in record mode say so.
#include "platform/system/byte_order.h"
#include "tests/panel/operations/operations_fixture.h"

namespace qm::panel::test {
namespace {

using stillcam::CMD_CAPTURE;
using stillcam::CMD_READ_THUMBNAIL;

const char* const kCameraFull = "We couldn't get or take any other Photos!\nThe space is full in your Camera!";

class TakePicture : public OperationsTest {};

TEST_F(TakePicture, TheCountGrowsAndTheNewPictureIsInView)
{
    startWith(12);
    watchProgressAt(CMD_CAPTURE);
    click(IDC_TAKE_PICTURE);
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(heard(CMD_CAPTURE), 1u);
    EXPECT_EQ(progressTexts(), std::vector<std::string>{"Shoot\n"});
    EXPECT_EQ(camera().pictureCount(), 13u);
    EXPECT_EQ(panelState().camera.count, 13u);
    ASSERT_EQ(panelState().pictures.size(), 13u);
    EXPECT_TRUE(panelState().pictures.find(13).drawable());
    // Picture 13 lands in the bottom row.
    EXPECT_EQ(browser().firstVisible(), 5);
    EXPECT_EQ(cellNumbers()[8], 13);
    EXPECT_TRUE(cellsShowTheirPictures());
    EXPECT_FALSE(browser().progressBar().visible());
    EXPECT_EQ(browser().currentOperation(), kOperationIdle);
    EXPECT_TRUE(showsConnected());
}

TEST_F(TakePicture, ACameraWhoseCountDoesNotGrowSaysNoPictureWasTaken)
{
    startWith(3);
    // The camera answers the capture but keeps reporting three pictures.
    camera().overrideCameraInfoByte(16, 3);
    camera().overrideCameraInfoByte(17, 0);
    camera().clearCommandLog();
    automation::answerNextMessageBox(ui::IDOK);
    click(IDC_TAKE_PICTURE);
    EXPECT_EQ(messages(), std::vector<std::string>{"Error, no Picture is taking!"});
    EXPECT_EQ(heard(CMD_CAPTURE), 1u);
    EXPECT_EQ(heard(CMD_READ_THUMBNAIL), 0u) << "no thumbnail is loaded";
    EXPECT_EQ(panelState().camera.count, 3u);
    EXPECT_EQ(panelState().thumbs.size(), 3u);
    EXPECT_FALSE(browser().progressBar().visible());
    EXPECT_EQ(browser().currentOperation(), kOperationIdle);
}

TEST_F(TakePicture, AFullCameraSaysSoWithoutShooting)
{
    startWith(2, [](stillcam::StillCameraConfig& config) { config.memoryBytes = 16 * 1024; });
    ASSERT_EQ(sys::readLe16(&camera().cameraInfo()[18]), 0) << "no room left";
    answerWithScreenshot(ui::IDOK, "message-camera-full");
    click(IDC_TAKE_PICTURE);
    EXPECT_EQ(messages(), std::vector<std::string>{kCameraFull});
    EXPECT_EQ(heard(CMD_CAPTURE), 0u);
    EXPECT_EQ(camera().pictureCount(), 2u);
    EXPECT_EQ(browser().currentOperation(), kOperationIdle);
}

TEST_F(TakePicture, ACameraOutOfRecordModeIsLeftAlone)
{
    startWith(2, [](stillcam::StillCameraConfig& config) { config.settings.operatingMode = 0; });
    automation::answerNextMessageBox(ui::IDOK);
    click(IDC_TAKE_PICTURE);
    EXPECT_EQ(messages(), std::vector<std::string>{"Set the Camera in RECORD Mode, Please!"});
    EXPECT_EQ(heard(CMD_CAPTURE), 0u);
    EXPECT_EQ(browser().currentOperation(), kOperationIdle);
}

}  // namespace
}  // namespace qm::panel::test
