// White balance: the anti-hunting rule, convergence on a coloured scene in
// the simulated camera, colour temperatures and bounds from the registry.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/kernel/registry.h"
#include "platform/kernel/rtl.h"
#include "tests/videodriver/camera/support/camera_on_bus.h"
#include "tests/videodriver/driver/rig/video_rig.h"
#include "videodriver/camera/device_functions.h"
#include "videodriver/camera/register_shadow.h"
#include "videodriver/camera/settings_key.h"

namespace qm::morvax::test {
namespace {

TEST(AwbHunting, ASwingBetweenTwoValuesStopsAtTheNewerOne)
{
    UCHAR history[4] = {0, 0, 0, 0};
    EXPECT_EQ(CheckAWBHunting(history, 20), 20);
    EXPECT_EQ(CheckAWBHunting(history, 21), 21);
    EXPECT_EQ(CheckAWBHunting(history, 20), 20);
    EXPECT_EQ(CheckAWBHunting(history, 21), 21);
    // 20, 21, 20, 21 and 20 again: the gain stays at 21 and the history too.
    EXPECT_EQ(CheckAWBHunting(history, 20), 21);
    EXPECT_EQ(CheckAWBHunting(history, 20), 21);
    const UCHAR swing[4] = {20, 21, 20, 21};
    EXPECT_EQ(std::vector<UCHAR>(history, history + 4), std::vector<UCHAR>(swing, swing + 4));
    // Anything else moves on.
    EXPECT_EQ(CheckAWBHunting(history, 22), 22);
    const UCHAR moved[4] = {21, 20, 21, 22};
    EXPECT_EQ(std::vector<UCHAR>(history, history + 4), std::vector<UCHAR>(moved, moved + 4));
}

class WhiteBalance : public CameraOnBus {
protected:
    // A flat grey scene under warm light, exposed well below saturation.
    void plugUnderWarmLight()
    {
        dualcam::DualCamConfig config;
        config.scene.pattern = dualcam::ScenePattern::Flat;
        config.scene.moving = false;
        config.scene.colourCast = {1.0, 0.95, 0.7};
        config.scene.brightness = 0.35;
        plug(config);
        context()->Width = 320;
        context()->Height = 240;
        ASSERT_EQ(DF_Init(context()), 1u);
        ASSERT_EQ(DF_Setup(context()), 1u);
        ASSERT_EQ(DF_Start(context()), 1u);
    }
};

TEST_F(WhiteBalance, ConvergesOnAColouredSceneWithoutHunting)
{
    plugUnderWarmLight();
    std::vector<ULONG> reds, blues;
    for (int step = 0; step < 24; ++step) {
        camera().measureNow();
        ASSERT_EQ(DF_AdjustWhiteBalance(context()), 1u);
        reds.push_back(context()->RedGain);
        blues.push_back(context()->BlueGain);
        EXPECT_EQ(camera().registerValue(0x100B), context()->RedGain);
        EXPECT_EQ(camera().registerValue(0x100C), context()->BlueGain);
        EXPECT_EQ(camera().registerValue(0x100D), context()->GreenGain);
    }
    // Settled: the last dozen steps changed nothing.
    for (std::size_t i = 12; i < reds.size(); ++i) {
        EXPECT_EQ(reds[i], reds.back()) << i;
        EXPECT_EQ(blues[i], blues.back()) << i;
    }
    // Blue had to come up most, and the sums now agree within a few percent.
    EXPECT_GT(context()->BlueGain, context()->RedGain);
    const dualcam::FrameStatistics statistics = camera().measureNow();
    const double green = statistics.whiteBalanceSums[1];
    EXPECT_NEAR(statistics.whiteBalanceSums[0] / green, 1.0, 0.06);
    EXPECT_NEAR(statistics.whiteBalanceSums[2] / green, 1.0, 0.06);
}

TEST_F(WhiteBalance, GainsStayWithinTheBoundsOfTheLightSource)
{
    dualcam::DualCamConfig config;
    config.scene.pattern = dualcam::ScenePattern::Flat;
    config.scene.colourCast = {1.0, 1.0, 0.3};  // more blue than the bounds allow
    config.scene.brightness = 0.35;
    plug(config);
    context()->Width = 320;
    context()->Height = 240;
    ASSERT_EQ(DF_Init(context()), 1u);
    ASSERT_EQ(DF_Setup(context()), 1u);
    ASSERT_EQ(DF_Start(context()), 1u);
    for (int step = 0; step < 10; ++step) {
        camera().measureNow();
        ASSERT_EQ(DF_AdjustWhiteBalance(context()), 1u);
        EXPECT_GE(context()->RedGain, context()->AWBRedLowerBound);
        EXPECT_LE(context()->RedGain, context()->AWBRedUpperBound);
        // Red below green lets blue go four higher.
        const ULONG ceiling = context()->AWBBlueUpperBound + (context()->RedGain < context()->GreenGain ? 4 : 0);
        EXPECT_LE(context()->BlueGain, ceiling);
    }
    EXPECT_EQ(context()->BlueGain, 25u + 4u * (context()->RedGain < context()->GreenGain));
}

TEST_F(WhiteBalance, WithoutTheGainModeTheGainsAreFixed)
{
    context()->GainMode = 0;
    camera().measureNow();
    ASSERT_EQ(DF_AdjustWhiteBalance(context()), 1u);
    EXPECT_EQ(context()->RedGain, 19u);
    EXPECT_EQ(context()->GreenGain, 16u);
    EXPECT_EQ(context()->BlueGain, 17u);
}

TEST_F(WhiteBalance, AStoredColourTemperatureMovesTheWhitePoint)
{
    plugUnderWarmLight();
    for (int step = 0; step < 12; ++step) {
        camera().measureNow();
        DF_AdjustWhiteBalance(context());
    }
    // Keep the balanced scene's white point for the home light, then ask
    // for a redder one: red goes up.
    writeSetting(u"LightSource", 1);  // the settings key exists
    context()->LightSource = 1;
    ASSERT_EQ(DF_SetColorTemperature(context()), 1u);
    const ULONG stored = context()->ColorTemperature[1];
    EXPECT_NEAR(double(stored >> 16), 16.0, 1.0);
    EXPECT_NEAR(double(stored & 0xFFFF), 16.0, 1.0);
    ULONG value = 0;
    ASSERT_EQ(readSettingsDword(context(), u"Default", u"BlueHue_Home", &value), STATUS_SUCCESS);
    EXPECT_EQ(value, context()->BlueGain);

    const ULONG redBefore = context()->RedGain;
    context()->ColorTemperature[1] = (20u << 16) | 16u;
    for (int step = 0; step < 12; ++step) {
        camera().measureNow();
        DF_AdjustWhiteBalance(context());
    }
    EXPECT_GT(context()->RedGain, redBefore);
}

TEST_F(WhiteBalance, AWhitePointWithoutGreenIsNotStored)
{
    dualcam::DualCamConfig config;
    config.scene.brightness = 0.0;
    config.opticalBlack = 0;
    plug(config);
    DF_WriteRegister(context(), 0x0973, 0);
    camera().measureNow();
    const ULONG before = context()->ColorTemperature[0];
    EXPECT_EQ(DF_SetColorTemperature(context()), 0u);
    EXPECT_EQ(context()->ColorTemperature[0], before);
}

TEST_F(WhiteBalance, BoundsComeFromTheLightSourcesValues)
{
    writeSetting(u"AWBHomeRedUpperbound", 30);
    writeSetting(u"AWBHomeBlueLowerbound", 9);
    context()->LightSource = 1;
    GetAWBBound(context());
    EXPECT_EQ(context()->AWBRedUpperBound, 30u);
    EXPECT_EQ(context()->AWBRedLowerBound, 13u);  // absent: kept
    EXPECT_EQ(context()->AWBBlueUpperBound, 25u);
    EXPECT_EQ(context()->AWBBlueLowerBound, 9u);
}

}  // namespace
}  // namespace qm::morvax::test
