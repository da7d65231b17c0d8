// Picture, exposure and white-balance settings through VideoProcAmp and the
// private CameraControl ids: what a get reports and what a set changes on
// the camera.
#include <gmock/gmock.h>

#include "tests/videodriver/properties/support/property_rig.h"

namespace qm::morvax::test {
namespace {

using ::testing::ElementsAre;

class PictureProperties : public PropertyRig {
protected:
    std::size_t writesTo(USHORT address) { return wire().writesTo(address).size(); }
};

TEST_F(PictureProperties, AGetReportsTheValueAsManual)
{
    const PropertyAnswer contrast = properties().get(PROPSETID_VIDCAP_VIDEOPROCAMP, KSPROPERTY_VIDEOPROCAMP_CONTRAST);
    EXPECT_EQ(contrast.status, STATUS_SUCCESS);
    EXPECT_EQ(contrast.value, 48);
    EXPECT_EQ(contrast.flags, 2u);
    EXPECT_EQ(contrast.capabilities, 2u);
    EXPECT_EQ(contrast.bytes, 40u);
    EXPECT_EQ(properties().camera(kCamSaturation).value, 45);
    EXPECT_EQ(properties().camera(kCamSharpness).value, 24);
    EXPECT_EQ(properties().camera(kCamBrightness).value, 32);
}

TEST_F(PictureProperties, BothSetsReachTheSameSettings)
{
    ASSERT_EQ(properties().set(PROPSETID_VIDCAP_VIDEOPROCAMP, KSPROPERTY_VIDEOPROCAMP_BRIGHTNESS, 50), STATUS_SUCCESS);
    EXPECT_EQ(properties().camera(kCamBrightness).value, 50);
    ASSERT_EQ(properties().setCamera(kCamContrast, 20), STATUS_SUCCESS);
    EXPECT_EQ(properties().get(PROPSETID_VIDCAP_VIDEOPROCAMP, KSPROPERTY_VIDEOPROCAMP_CONTRAST).value, 20);
}

TEST_F(PictureProperties, SettingsAreWrittenToTheCameraAtOnce)
{
    ASSERT_EQ(properties().setCamera(kCamSharpness, 63), STATUS_SUCCESS);
    EXPECT_EQ(sim().registerValue(0x1003) & 0x1F, 31);
    ASSERT_EQ(properties().setCamera(kCamSaturation, 40), STATUS_SUCCESS);
    EXPECT_EQ(sim().registerValue(0x100F), 20);
    EXPECT_EQ(sim().registerValue(0x1010), 20);
    ASSERT_EQ(properties().setCamera(kCamRedGain, 33), STATUS_SUCCESS);
    EXPECT_EQ(sim().registerValue(0x100B), 33);
    ASSERT_EQ(properties().setCamera(kCamGreenGain, 21), STATUS_SUCCESS);
    EXPECT_EQ(sim().registerValue(0x100D), 21);
    wire().clear();
    ASSERT_EQ(properties().setCamera(kCamGamma, 5), STATUS_SUCCESS);
    EXPECT_EQ(writesTo(0x1041), 1u);
    EXPECT_EQ(properties().camera(kCamGamma).value, 5);
}

TEST_F(PictureProperties, ValuesOutsideTheirRangeAreRefusedAndChangeNothing)
{
    wire().clear();
    EXPECT_EQ(properties().setCamera(kCamGamma, 16), STATUS_INVALID_PARAMETER);
    EXPECT_EQ(properties().setCamera(kCamLightSource, 3), STATUS_INVALID_PARAMETER);
    EXPECT_EQ(properties().setCamera(kCamContrast, -1), STATUS_INVALID_PARAMETER);
    EXPECT_EQ(properties().set(PROPSETID_VIDCAP_VIDEOPROCAMP, KSPROPERTY_VIDEOPROCAMP_BRIGHTNESS, 64),
              STATUS_INVALID_PARAMETER);
    EXPECT_TRUE(wire().accesses().empty());
    EXPECT_EQ(properties().camera(kCamLightSource).value, 0);
    EXPECT_EQ(properties().camera(kCamBrightness).value, 32);
}

TEST_F(PictureProperties, ALightSourceChangeStartsTheShutterOverFromNearlyTheLongestExposure)
{
    ASSERT_EQ(properties().setCamera(kCamLightSource, 2), STATUS_SUCCESS);
    EXPECT_EQ(properties().camera(kCamLightSource).value, 2);
    const auto shutter = wire().writesTo(0x101B);
    ASSERT_FALSE(shutter.empty());
    EXPECT_THAT(shutter.back().bytes, ElementsAre(21, 0));  // 4 % short of the longest, generic arithmetic
}

TEST_F(PictureProperties, FlickerlessSetToItsCurrentValueDoesNothing)
{
    wire().clear();
    ASSERT_EQ(properties().setCamera(kCamFlickerless, 0), STATUS_SUCCESS);
    EXPECT_TRUE(wire().accesses().empty());
    EXPECT_EQ(properties().camera(kCamFlickerless).value, 0);
}

TEST_F(PictureProperties, FlickerlessChangedStopsTheCameraAndRestartsLiveVideo)
{
    ASSERT_EQ(properties().setCamera(kCamFlickerless, 1), STATUS_SUCCESS);
    EXPECT_EQ(properties().camera(kCamFlickerless).value, 1);
    ASSERT_FALSE(wire().writesTo(0x0410).empty());
    EXPECT_EQ(wire().writesTo(0x0410).back().bytes.at(0) & 0x06, 0);
    EXPECT_EQ(sim().streamMode(), dualcam::StreamMode::Idle);  // no stream: not started again

    auto stream = openRunning(kCaptureStream, 0);
    ASSERT_TRUE(stream);
    ASSERT_EQ(sim().streamMode(), dualcam::StreamMode::Video);
    wire().clear();
    ASSERT_EQ(properties().setCamera(kCamFlickerless, 0), STATUS_SUCCESS);
    EXPECT_EQ(sim().streamMode(), dualcam::StreamMode::Video);
    const auto master = wire().writesTo(0x0410);
    ASSERT_GE(master.size(), 2u);
    EXPECT_EQ(master.front().bytes.at(0) & 0x06, 0);      // stopped
    EXPECT_EQ(master.back().bytes.at(0) & 0x3E, 0x3E);    // and running again
    stream->queueRead(imageSize(formatFor(kCaptureStream, 0)));
    auto read = stream->waitForRead(kWaitLimitMs);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->status, STATUS_SUCCESS);
}

TEST_F(PictureProperties, AEEnableOffAndAGCEnableAreTakenButAGCIsNotReported)
{
    ASSERT_EQ(properties().setCamera(kCamAEEnable, 0), STATUS_SUCCESS);
    EXPECT_EQ(properties().camera(kCamAEEnable).value, 0);
    ASSERT_EQ(properties().setCamera(kCamAGCEnable, 0), STATUS_SUCCESS);
    EXPECT_EQ(properties().camera(kCamAGCEnable).status, STATUS_NOT_SUPPORTED);
    EXPECT_EQ(properties().camera(kCamColorTemperature).status, STATUS_NOT_SUPPORTED);
}

TEST_F(PictureProperties, VideoControlReportsBothFlipsAndNoActualFrameRate)
{
    KSPROPERTY_VIDEOCONTROL_CAPS_S caps{};
    caps.Property.Set = PROPSETID_VIDCAP_VIDEOCONTROL;
    caps.Property.Id = KSPROPERTY_VIDEOCONTROL_CAPS;
    std::vector<UCHAR> value(sizeof caps);
    ULONG bytes = 0;
    ASSERT_EQ(properties().getRaw(caps, value, bytes), STATUS_SUCCESS);
    KSPROPERTY_VIDEOCONTROL_CAPS_S answer{};
    std::memcpy(&answer, value.data(), sizeof answer);
    EXPECT_EQ(answer.VideoControlCaps, 3u);
    EXPECT_EQ(bytes, 32u);
    KSPROPERTY_VIDEOCONTROL_ACTUAL_FRAME_RATE_S actual{};
    actual.Property.Set = PROPSETID_VIDCAP_VIDEOCONTROL;
    actual.Property.Id = KSPROPERTY_VIDEOCONTROL_ACTUAL_FRAME_RATE;
    value.assign(sizeof actual, 0);
    EXPECT_EQ(properties().getRaw(actual, value, bytes), STATUS_NOT_SUPPORTED);
}

}  // namespace
}  // namespace qm::morvax::test
