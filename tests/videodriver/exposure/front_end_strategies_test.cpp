// The strategies of the CMOS sensor and the Tasc, Toshiba and Elecvision
// front ends, step by step against a plain register board.
#include <gmock/gmock.h>

#include "simulators/dualcam/front_end.h"
#include "tests/videodriver/exposure/bench/context_bench.h"
#include "videodriver/camera/register_shadow.h"
#include "videodriver/exposure/ae_strategies.h"
#include "videodriver/exposure/auto_exposure.h"
#include "videodriver/exposure/exposure_globals.h"

namespace qm::morvax::test {
namespace {

using ::testing::ElementsAre;

class Strategy : public ContextBench {
protected:
    void start(ULONG ccdType, ULONG cdsType)
    {
        board_ = std::make_shared<RegisterBoard>();
        plug(board_, ccdType, cdsType);
        ResetAE(context());
        wire().clear();
    }

    std::vector<UCHAR> lastWrite(USHORT address)
    {
        const auto writes = wire().writesTo(address);
        return writes.empty() ? std::vector<UCHAR>{} : writes.back().bytes;
    }

    // The Tasc strategy's input: an average that has caught up with the
    // latest measurement.
    void steadyLuminance(ULONG luminance)
    {
        context()->LuminanceAverage = luminance;
        g_exposure.LastLuminance = LONG(luminance);
    }

    std::shared_ptr<RegisterBoard> board_;
};

// --- the CMOS sensor ---

TEST_F(Strategy, CmosSensorHoldsStillAfterThreeSmallSteps)
{
    start(3, 0);
    const LONG between = -20;  // outside the narrow band (8), inside the wide one (32)
    for (int step = 0; step < 3; ++step)
        EXPECT_EQ(AE_NSC(context(), between), 0u);
    EXPECT_EQ(context()->Gain, 3);
    EXPECT_EQ(AE_NSC(context(), between), 1u);
    EXPECT_EQ(context()->Gain, 3);
    // A big error starts the count over.
    EXPECT_EQ(AE_NSC(context(), -100), 0u);
    EXPECT_EQ(context()->Gain, 7);
    EXPECT_EQ(AE_NSC(context(), between), 0u);
}

TEST_F(Strategy, CmosSensorLengthensAShortExposureByAThirdAndAtLeastALine)
{
    start(3, 0);
    dualcam::FrontEnd sensor(3, 0);
    sensor.serialCommand(std::vector<UCHAR>{0xFB, 0x13, 0x02});
    context()->Shutter = 1;
    AE_NSC(context(), -100);
    EXPECT_EQ(context()->Shutter, 2);
    context()->Shutter = 90;
    AE_NSC(context(), -100);
    EXPECT_EQ(context()->Shutter, 110);  // a third is 30: at most 20 more
    sensor.dataWritten(0x101D, lastWrite(0x101D));
    EXPECT_EQ(sensor.sensorRegister(dualcam::FrontEnd::kSensorShutter), 110);
    context()->Shutter = 250;
    AE_NSC(context(), -100);
    EXPECT_EQ(context()->Shutter, 0);  // 256 lines or more: the whole frame
}

TEST_F(Strategy, CmosSensorInBrightLightLowersTheGainThenShortensTheExposure)
{
    start(3, 0);
    context()->Gain = 6;
    AE_NSC(context(), 100);
    EXPECT_EQ(context()->Gain, 2);
    AE_NSC(context(), 100);
    EXPECT_EQ(context()->Gain, 0);
    AE_NSC(context(), 100);
    EXPECT_EQ(context()->Shutter, 255);
    AE_NSC(context(), 100);
    EXPECT_EQ(context()->Shutter, 215);  // three quarters is 191: at most 40 less
    context()->Shutter = 1;
    AE_NSC(context(), 100);
    EXPECT_EQ(context()->Shutter, 1);
}

// --- Tasc ---

TEST_F(Strategy, TascRatio32AtTarget128IsInsideTheBand)
{
    start(0, 5);
    steadyLuminance(128);  // r = 32, band 30..33
    EXPECT_EQ(AE_Tasc(context(), 0), 1u);
    // Settled still writes the exposure it holds.
    EXPECT_FALSE(lastWrite(0x101D).empty());
    EXPECT_FALSE(lastWrite(0x101B).empty());
    steadyLuminance(136);  // r = 34
    EXPECT_EQ(AE_Tasc(context(), 0), 0u);
    steadyLuminance(116);  // r = 29
    EXPECT_EQ(AE_Tasc(context(), 0), 0u);
}

TEST_F(Strategy, TascSpreadsTheWantedExposureOverGainShutterAndYGain)
{
    start(0, 5);
    context()->Gain = 1;
    context()->GainMode = 1;
    context()->Shutter = 0;
    context()->YGain = 8;
    steadyLuminance(64);  // r = 16: twice too dark
    EXPECT_EQ(AE_Tasc(context(), 0), 0u);
    // v = 521 * 8 / 16 * 4 = 1040, over three gain steps of 1.4: 378.
    EXPECT_EQ(context()->Gain, 4);
    EXPECT_EQ(context()->Shutter, 520 - 270);
    EXPECT_EQ(context()->YGain, 11u);
    EXPECT_THAT(lastWrite(0x0903), ElementsAre(0xE9, 0x03));
    EXPECT_THAT(lastWrite(0x0991), ElementsAre(0x1E, 0x03));
    dualcam::FrontEnd chip(0, 5);
    chip.dataWritten(0x101D, lastWrite(0x101D));
    EXPECT_EQ(chip.gainCode(), 4);
}

TEST_F(Strategy, TascWaitsForTheAverageToCatchUpBeforeItPicksAnExposure)
{
    start(0, 5);
    steadyLuminance(64);
    g_exposure.LastLuminance = 100;  // the last change has not worked through yet
    EXPECT_EQ(AE_Tasc(context(), 0), 0u);
    EXPECT_EQ(context()->Gain, 1);
    EXPECT_EQ(context()->Shutter, 0);
    g_exposure.LastLuminance = 70;
    AE_Tasc(context(), 0);
    EXPECT_EQ(context()->Gain, 4);
}

TEST_F(Strategy, TascMovesTheTargetWhenTheGainComesIntoUse)
{
    start(0, 5);
    context()->Gain = 0;
    context()->GainMode = 0;
    context()->Shutter = 100;
    steadyLuminance(40);  // r = 10
    AE_Tasc(context(), 0);
    EXPECT_GT(context()->Gain, 0);
    EXPECT_EQ(context()->AETarget, 128 + 10);
    EXPECT_EQ(context()->GainMode, 1);
}

TEST_F(Strategy, TascSwitchesBackLightModeOnTheBlackLevel)
{
    start(0, 5);
    DR_SetRegister(0x1000, 0xA0);
    steadyLuminance(128);
    board_->set(0x0810, 200);
    AE_Tasc(context(), 0);
    EXPECT_EQ(context()->BackLight, 1);
    EXPECT_EQ(context()->AWBFrameCounter, context()->AWBRate);
    EXPECT_THAT(lastWrite(0x1000), ElementsAre(0x20));
    EXPECT_THAT(lastWrite(0x1031), ElementsAre(0x80, 0x80, 0x80, 0x80));
    board_->set(0x0810, 60);  // between the bounds: no change
    AE_Tasc(context(), 0);
    EXPECT_EQ(context()->BackLight, 1);
    board_->set(0x0810, 20);
    AE_Tasc(context(), 0);
    EXPECT_EQ(context()->BackLight, 0);
    EXPECT_THAT(lastWrite(0x1000), ElementsAre(0xA0));
    EXPECT_THAT(lastWrite(0x1031), ElementsAre(0, 0, 0, 0));
}

TEST_F(Strategy, TascBlackLevelOffsetComesFromTheGainWhenLightLeaks)
{
    start(0, 5);
    context()->Gain = 3;
    board_->set(0x0810, 121);
    AdjustOBOffset(context());
    EXPECT_EQ(board_->get(0x0973), 34);
    board_->set(0x0810, 120);
    AdjustOBOffset(context());
    EXPECT_EQ(board_->get(0x0973), 120);
    start(0, 0);
    board_->set(0x0810, 121);
    AdjustOBOffset(context());
    EXPECT_EQ(board_->get(0x0973), 121);
}

// --- Toshiba ---

TEST_F(Strategy, ToshibaAimsEvBelowTheTarget)
{
    start(0, 7);
    context()->Shutter = 300;
    EXPECT_EQ(AE_Toshiba(context(), 50 + 20), 1u);  // inside the narrow band once Ev is taken off
    EXPECT_EQ(AE_Toshiba(context(), 0), 0u);        // 50 too dark
    EXPECT_LT(context()->Shutter, 300);
}

TEST_F(Strategy, ToshibaTurnsTheToneCurveWithTheGain)
{
    start(0, 7);
    context()->Shutter = 0;
    context()->Gain = 0;
    AE_Toshiba(context(), -100);
    EXPECT_EQ(context()->Gain, 1);
    EXPECT_EQ(context()->GammaIndex, 4u);
    EXPECT_FALSE(lastWrite(0x1041).empty());
    context()->Gain = 17;
    AE_Toshiba(context(), -100);
    EXPECT_EQ(context()->Gain, 18);
    EXPECT_EQ(context()->GammaIndex, 7u);
    EXPECT_EQ(AE_Toshiba(context(), -100), 1u);  // nothing left to give
    AE_Toshiba(context(), 200);
    EXPECT_EQ(context()->Gain, 17);
    EXPECT_EQ(context()->GammaIndex, 4u);
    context()->Gain = 1;
    context()->Shutter = 522;
    AE_Toshiba(context(), 200);
    EXPECT_EQ(context()->Gain, 0);
    EXPECT_EQ(context()->GammaIndex, 5u);
}

TEST_F(Strategy, ToshibaKeepsToThreeShuttersWhileTheGainIsInUse)
{
    start(0, 7);
    context()->Gain = 5;
    context()->Shutter = 200;
    AE_Toshiba(context(), -100);
    EXPECT_EQ(context()->Shutter, 125);
    AE_Toshiba(context(), -100);
    EXPECT_EQ(context()->Shutter, 0);
    context()->Shutter = 125;
    AE_Toshiba(context(), 100);
    EXPECT_EQ(context()->Shutter, 260);
    AE_Toshiba(context(), 100);
    EXPECT_EQ(context()->Shutter, 260);  // the gain goes down instead
    EXPECT_EQ(context()->Gain, 4);
}

TEST_F(Strategy, ToshibaSlowsTheSensorAtFullGain)
{
    start(0, 7);
    context()->Gain = 18;
    SetFrameRate_Toshiba(context());
    EXPECT_THAT(lastWrite(0x0903), ElementsAre(0xE9, 0x03));
    EXPECT_THAT(lastWrite(0x0991), ElementsAre(0xE6, 0x03));
    context()->Gain = 5;
    context()->Shutter = 100;
    SetFrameRate_Toshiba(context());
    EXPECT_THAT(lastWrite(0x0991), ElementsAre(0x04, 0x03));
    context()->Width = 320;
    SetFrameRate_Toshiba(context());
    EXPECT_THAT(lastWrite(0x0991), ElementsAre(0x0B, 0x02));
}

// --- Elecvision ---

TEST_F(Strategy, ElecvisionInTheDarkLiftsYGainOpensTheShutterThenSlowsTheSensor)
{
    start(0, 8);
    context()->YGain = 7;
    context()->Shutter = 210;
    AE_Elecvision(context(), -60);
    EXPECT_EQ(context()->YGain, 8u);
    AE_Elecvision(context(), -60);
    EXPECT_EQ(context()->Shutter, 105);
    context()->Shutter = 0;
    AE_Elecvision(context(), -60);
    EXPECT_EQ(context()->YGain, 12u);  // by 4 for a large error
    AE_Elecvision(context(), -30);
    EXPECT_EQ(context()->YGain, 14u);  // by 2 below 50
    context()->YGain = context()->YGainCeiling;
    for (const UCHAR high : {0x03, 0x03, 0x03}) {
        EXPECT_EQ(AE_Elecvision(context(), -60), 0u);
        EXPECT_EQ(lastWrite(0x0991).at(1), high);
    }
    EXPECT_THAT(lastWrite(0x0991), ElementsAre(0xD3, 0x03));
    EXPECT_EQ(AE_Elecvision(context(), -60), 1u);  // the slowest timing: settled
}

TEST_F(Strategy, ElecvisionInBrightLightSpeedsTheSensorUpFirst)
{
    start(0, 8);
    context()->YGain = context()->YGainCeiling;
    context()->Shutter = 0;
    AE_Elecvision(context(), -60);  // timing step 1
    wire().clear();
    context()->YGain = 20;
    AE_Elecvision(context(), 60);
    EXPECT_THAT(lastWrite(0x0991), ElementsAre(0x0C, 0x02));
    EXPECT_EQ(context()->YGain, 20u);
    AE_Elecvision(context(), 60);
    EXPECT_EQ(context()->YGain, 16u);
    context()->YGain = 8;
    AE_Elecvision(context(), 60);
    EXPECT_EQ(context()->Shutter, 105);
    context()->Shutter = 420;
    AE_Elecvision(context(), 60);
    EXPECT_EQ(context()->YGain, 7u);
    context()->YGain = 6;
    EXPECT_EQ(AE_Elecvision(context(), 60), 1u);
}

TEST_F(Strategy, ElecvisionIndoorsLeavesSmallErrorsAtTheShortEnd)
{
    start(0, 8);
    context()->Shutter = 420;
    EXPECT_EQ(AE_Elecvision(context(), -30), 1u);
    EXPECT_EQ(AE_Elecvision(context(), -60), 0u);
    context()->Shutter = 315;
    EXPECT_EQ(AE_Elecvision(context(), 30), 1u);
    context()->LightSource = 2;
    EXPECT_EQ(AE_Elecvision(context(), 30), 0u);
    EXPECT_EQ(AE_Elecvision(context(), 10), 1u);
}

}  // namespace
}  // namespace qm::morvax::test
