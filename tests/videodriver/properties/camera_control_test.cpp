// The private CameraControl ids and the driver's own set that reach the
// camera's still functions and registers.
#include <gmock/gmock.h>

#include "tests/videodriver/properties/support/property_rig.h"

namespace qm::morvax::test {
namespace {

using ::testing::ElementsAre;

class CameraControl : public PropertyRig {
protected:
    dualcam::DualCamConfig cameraConfig() override
    {
        dualcam::DualCamConfig config = RigOptions::quietCamera();
        config.pictures = dualcam::testPictures(5);
        config.pictureCapacity = 12;
        config.firmwareBytes = {0x4A, 0x80};
        return config;
    }
};

TEST_F(CameraControl, CountsAndTheCamerasIdentity)
{
    EXPECT_EQ(properties().camera(kCamPictureCount).value, 5);
    EXPECT_EQ(properties().camera(kCamFreePictures).value, 7);
    EXPECT_EQ(properties().camera(kCamFirmwareVersion).value, 0x10182);
    EXPECT_EQ(properties().camera(kCamVendorId).value, 0x0784);
    EXPECT_EQ(properties().camera(kCamProductId).value, 0x4200);
    EXPECT_EQ(properties().camera(kCamReady).value, 1);
}

TEST_F(CameraControl, GetsOfTheColourTemperatureAndAGCFail)
{
    EXPECT_EQ(properties().camera(kCamColorTemperature).status, STATUS_NOT_SUPPORTED);
    EXPECT_EQ(properties().camera(kCamAGCEnable).status, STATUS_NOT_SUPPORTED);
}

TEST_F(CameraControl, DeleteTakeAndStatus)
{
    ASSERT_EQ(properties().setCamera(kCamDeletePicture, 2), STATUS_SUCCESS);
    EXPECT_EQ(sim().pictureCount(), 4u);
    EXPECT_EQ(properties().setCamera(kCamDeletePicture, 0), STATUS_INVALID_PARAMETER);
    EXPECT_EQ(properties().setCamera(kCamDeletePicture, 0x1000), STATUS_INVALID_PARAMETER);
    ASSERT_EQ(properties().setCamera(kCamTakePicture, 1), STATUS_SUCCESS);
    EXPECT_EQ(properties().camera(kCamTakePicture).value, 1);  // ready again after the picture
    EXPECT_EQ(sim().pictureCount(), 5u);
    ASSERT_EQ(properties().setCamera(kCamStatus, 0x21), STATUS_SUCCESS);
    EXPECT_EQ(properties().camera(kCamStatus).value, 0x21);
}

TEST_F(CameraControl, ACameraThatStopsAnsweringReportsDeviceErrors)
{
    sim().injectFault(dualcam::Fault::CommandNeverReady, 10);
    EXPECT_EQ(properties().setCamera(kCamStatus, 1), STATUS_IO_DEVICE_ERROR);
    EXPECT_EQ(properties().camera(kCamStatus).status, STATUS_IO_DEVICE_ERROR);
    EXPECT_EQ(properties().camera(kCamFreePictures).status, STATUS_IO_DEVICE_ERROR);
    EXPECT_EQ(properties().setCamera(kCamDeletePicture, 1), STATUS_IO_DEVICE_ERROR);
    EXPECT_EQ(properties().camera(kCamFirmwareVersion).status, STATUS_UNSUCCESSFUL);
    EXPECT_EQ(properties().camera(kCamReady).value, 0);
}

TEST_F(CameraControl, OneSelectedRegisterServesBothSets)
{
    ASSERT_EQ(properties().setCamera(kCamSelectRegister, 0x1003), STATUS_SUCCESS);
    ASSERT_EQ(properties().setCustom(kCustomRegister, 0x15), STATUS_SUCCESS);
    EXPECT_EQ(sim().registerValue(0x1003), 0x15);
    const PropertyAnswer read = properties().camera(kCamRegister);
    EXPECT_EQ(read.value, 0x15);
    EXPECT_EQ(read.flags, 1u);
    EXPECT_EQ(read.capabilities, 3u);
    ASSERT_EQ(properties().setCustom(kCustomSelectRegister, 0x2000), STATUS_SUCCESS);  // no image byte
    ASSERT_EQ(properties().setCamera(kCamRegister, 0x42), STATUS_SUCCESS);
    EXPECT_EQ(properties().custom(kCustomRegister).value, 0x42);
    EXPECT_EQ(properties().camera(kCamSelectRegister).bytes, 0u);
}

TEST_F(CameraControl, TheCameraModeFlagAndTheFlashCommands)
{
    ASSERT_EQ(properties().setCustom(kCustomCameraMode, 1), STATUS_SUCCESS);
    EXPECT_EQ(properties().custom(kCustomCameraMode).value, 1);
    wire().clear();
    EXPECT_EQ(properties().custom(kCustomFlashReadId).value, 1);
    EXPECT_EQ(sim().registerValue(0x1073), 0x75);
    EXPECT_EQ(properties().custom(kCustomFlashWriteId).value, 1);
    std::vector<UCHAR> codes;
    for (const RegisterAccess& write : wire().writesTo(0x040C))
        codes.push_back(write.bytes.at(0));
    EXPECT_THAT(codes, ElementsAre(0x3E, 0x3D));
    EXPECT_EQ(properties().custom(kCustomSnapshot).value, 1);  // none pending
}

TEST_F(CameraControl, StillModeStopsLiveVideo)
{
    auto stream = openRunning(kCaptureStream, 0);
    ASSERT_TRUE(stream);
    ASSERT_EQ(sim().streamMode(), dualcam::StreamMode::Video);
    ASSERT_EQ(properties().setCamera(kCamStillMode, 1), STATUS_SUCCESS);
    EXPECT_EQ(sim().streamMode(), dualcam::StreamMode::Idle);
}

}  // namespace
}  // namespace qm::morvax::test
