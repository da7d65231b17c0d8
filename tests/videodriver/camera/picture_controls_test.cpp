// Picture controls on the simulated camera: the registers each writes and
// the values it computes.
#include <gtest/gtest.h>

#include "tests/videodriver/camera/support/camera_on_bus.h"
#include "videodriver/camera/device_functions.h"
#include "videodriver/camera/register_shadow.h"
#include "videodriver/camera/sensor/tone_curves.h"

namespace qm::morvax::test {
namespace {

class PictureControls : public CameraOnBus {
protected:
    std::vector<UCHAR> toneCurve()
    {
        std::vector<UCHAR> points;
        for (USHORT i = 0; i < kToneCurvePoints; ++i)
            points.push_back(camera().registerValue(USHORT(0x1041 + i)));
        return points;
    }
};

TEST_F(PictureControls, HueSetsRedAndBlueTogether)
{
    struct Case {
        ULONG hue;
        UCHAR red, blue;
    };
    for (const Case& c : {Case{32, 10, 22}, Case{63, 61, 0}, Case{0, 0, 63}, Case{48, 36, 10}}) {
        context()->Hue = c.hue;
        wire().clear();
        ASSERT_EQ(DF_SetHue(context()), 1u);
        EXPECT_EQ(camera().registerValue(0x100B), c.red) << c.hue;
        EXPECT_EQ(camera().registerValue(0x100C), c.blue) << c.hue;
        const auto writes = wire().writes();
        ASSERT_EQ(writes.size(), 1u);
        EXPECT_EQ(writes[0].first, 0x100B);
        EXPECT_EQ(writes[0].bytes.size(), 2u);
    }
    // Beyond the range the hue counts as 63 rather than wrapping.
    context()->Hue = 200;
    ASSERT_EQ(DF_SetHue(context()), 1u);
    EXPECT_EQ(camera().registerValue(0x100B), 61);
    EXPECT_EQ(camera().registerValue(0x100C), 0);
}

TEST_F(PictureControls, SharpnessAndSaturationFillTheirFields)
{
    DF_WriteRegister(context(), 0x1003, 0xE0);
    context()->Sharpness = 63;
    ASSERT_EQ(DF_SetSharpness(context()), 1u);
    EXPECT_EQ(camera().registerValue(0x1003), 0xE0 | 31);
    context()->Sharpness = 200;  // the field holds at most 31
    ASSERT_EQ(DF_SetSharpness(context()), 1u);
    EXPECT_EQ(camera().registerValue(0x1003), 0xE0 | 31);

    DF_WriteRegister(context(), 0x100E, 0x48);
    context()->Saturation = 45;
    ASSERT_EQ(DF_SetSaturation(context()), 1u);
    EXPECT_EQ(camera().registerValue(0x100F), 22);
    EXPECT_EQ(camera().registerValue(0x1010), 22);
    EXPECT_EQ(camera().registerValue(0x100E), 0x08);  // bit 6 cleared, the Y gain kept
}

TEST_F(PictureControls, ContrastScalesTheGammaCurveUpToTheCeiling)
{
    context()->GammaIndex = 2;
    context()->Contrast = 32;
    context()->RGBUpperBound = 0;  // no ceiling configured
    ASSERT_EQ(DF_SetContrast(context()), 1u);
    EXPECT_EQ(toneCurve(), std::vector<UCHAR>(kToneCurves[2], kToneCurves[2] + kToneCurvePoints));

    context()->Contrast = 48;
    context()->RGBUpperBound = 200;
    ASSERT_EQ(DF_SetContrast(context()), 1u);
    const auto curve = toneCurve();
    EXPECT_EQ(curve[1], 5 * 48 / 32);
    EXPECT_EQ(curve[4], 100 * 48 / 32);
    EXPECT_EQ(curve[16], 200);
    // Full contrast never wraps past 255.
    context()->Contrast = 63;
    context()->RGBUpperBound = 255;
    ASSERT_EQ(DF_SetContrast(context()), 1u);
    EXPECT_EQ(toneCurve()[16], 255);
}

TEST_F(PictureControls, ManualGammaTakesTheSecondSetOfCurves)
{
    context()->Contrast = 32;
    context()->GammaIndex = 3;
    context()->ManualGamma = 1;
    ASSERT_EQ(DF_SetGamma(context()), 1u);
    EXPECT_EQ(toneCurve(), std::vector<UCHAR>(kToneCurves[11], kToneCurves[11] + kToneCurvePoints));
    context()->GammaIndex = 40;  // past the last curve: the last one
    ASSERT_EQ(DF_SetGamma(context()), 1u);
    EXPECT_EQ(toneCurve(), std::vector<UCHAR>(kToneCurves[23], kToneCurves[23] + kToneCurvePoints));
}

TEST_F(PictureControls, TheAwbWindowFollowsItsMode)
{
    context()->Width = 320;
    context()->Height = 240;
    const struct {
        ULONG mode;
        std::vector<UCHAR> bytes;
    } cases[] = {
        {0, {81, 0, 240, 0, 61, 0, 180, 0}},
        {1, {41, 0, 24, 1, 31, 0, 210, 0}},
        {2, {0, 0, 63, 1, 0, 0, 239, 0}},
    };
    for (const auto& c : cases) {
        context()->AWBWindowMode = c.mode;
        wire().clear();
        ASSERT_EQ(SetAWBWindow(context()), 1u);
        const auto writes = wire().writesTo(0x1085);
        ASSERT_EQ(writes.size(), 1u);
        EXPECT_EQ(writes[0].bytes, c.bytes) << c.mode;
    }
}

TEST_F(PictureControls, FlickerSuppressionProgramsTheSensorTiming)
{
    dualcam::DualCamConfig config;
    config.ccdType = 2;
    plug(config);
    ASSERT_EQ(DF_SetFlickerlessReg(context()), 1u);
    EXPECT_EQ(camera().registerValue(0x0903), 0x94);
    EXPECT_EQ(camera().registerValue(0x0920), 0x07);
    EXPECT_EQ(camera().registerValue(0x097B), 0xE0);
    EXPECT_EQ(camera().registerValue(0x0991), 0x0B);
    EXPECT_EQ(camera().registerValue(0x1000), 0xAF);

    config.ccdType = 0;
    plug(config);
    ASSERT_EQ(DF_SetFlickerlessReg(context()), 1u);
    EXPECT_EQ(camera().registerValue(0x1000), 0xAD);
    EXPECT_EQ(camera().registerValue(0x108D), 0x07);

    config.cdsType = 5;
    plug(config);
    ASSERT_EQ(DF_SetFlickerlessReg(context()), 1u);
    EXPECT_EQ(camera().registerValue(0x040A), 0x84);
    EXPECT_EQ(camera().registerValue(0x1000), 0xA0);  // nothing else for this front end
}

TEST_F(PictureControls, TheCmosSensorIsWrittenOverTheSerialBus)
{
    dualcam::DualCamConfig config;
    config.ccdType = 3;
    plug(config);
    ASSERT_EQ(DF_EnableSifI2C(context()), 1u);
    EXPECT_EQ(camera().registerValue(0x0415) & 0x02, 0x02);
    EXPECT_EQ(camera().registerValue(0x0416) & 0x02, 0x02);
    wire().clear();
    ASSERT_EQ(DF_NSCCmosI2CWrite(context(), 0x25, 0x0C, FALSE), 1u);
    const auto writes = wire().writes();
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].first, 0x0B00);
    EXPECT_EQ(writes[0].bytes, (std::vector<UCHAR>{0xFB, 0x13, 0x02}));
    EXPECT_EQ(writes[1].first, 0x101D);
    EXPECT_EQ(writes[1].bytes, (std::vector<UCHAR>{0x00, 0x02, 0x55, 0x00, 0xA4, 0x00, 0x30, 0x00}));
    // The sensor took the gain.
    EXPECT_EQ(camera().frontEndGain(), 0x0C);
}

}  // namespace
}  // namespace qm::morvax::test
