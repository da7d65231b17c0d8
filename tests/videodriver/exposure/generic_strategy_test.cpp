// The generic strategy (Sharp, Hitachi, Panasonic): its order of moves in
// the dark and in bright light, its limits and its gain words.
#include <gmock/gmock.h>

#include "simulators/dualcam/front_end.h"
#include "tests/videodriver/exposure/bench/context_bench.h"
#include "videodriver/exposure/ae_strategies.h"
#include "videodriver/exposure/auto_exposure.h"

namespace qm::morvax::test {
namespace {

constexpr LONG kFarTooDark = -100;   // beyond the wide band (32)
constexpr LONG kTooDark = -20;       // between the bands (8 and 32)
constexpr LONG kFarTooBright = 100;

class GenericStrategy : public ContextBench {
protected:
    void start(ULONG cdsType)
    {
        plug(std::make_shared<RegisterBoard>(), 0, cdsType);
        ResetAE(context());
        wire().clear();
    }
};

TEST_F(GenericStrategy, InsideTheNarrowBandItIsSettledAndWritesNothing)
{
    start(0);
    EXPECT_EQ(AE_New(context(), 8), 1u);
    EXPECT_EQ(AE_New(context(), -8), 1u);
    EXPECT_TRUE(wire().accesses().empty());
}

TEST_F(GenericStrategy, InTheDarkTheShutterOpensByTheBigOrSmallStep)
{
    start(0);
    context()->Shutter = 300;
    EXPECT_EQ(AE_New(context(), kFarTooDark), 0u);
    EXPECT_EQ(context()->Shutter, 229);  // 32 % longer
    context()->Shutter = 300;
    AE_New(context(), kTooDark);
    EXPECT_LT(context()->Shutter, 300);
    EXPECT_GT(context()->Shutter, 229);  // 4 % longer
    EXPECT_EQ(wire().writesTo(0x101B).size(), 2u);
}

TEST_F(GenericStrategy, AShutterOf1OpensFully)
{
    start(0);
    context()->Shutter = 1;
    const LONG gain = context()->Gain;
    AE_New(context(), kFarTooDark);
    EXPECT_EQ(context()->Shutter, 0);
    EXPECT_EQ(context()->Gain, gain);
}

TEST_F(GenericStrategy, AShutterStepThatRoundsToNothingCountsAsSettled)
{
    start(4);
    context()->Gain = context()->GainMin;
    context()->Shutter = 511;  // 13 lines: 4 % is less than a line
    EXPECT_EQ(AE_New(context(), kTooDark), 1u);
    EXPECT_EQ(context()->Shutter, 511);
    EXPECT_TRUE(wire().writesTo(0x101B).empty());
    EXPECT_EQ(AE_New(context(), kFarTooDark), 0u);  // 32 % is not
    EXPECT_LT(context()->Shutter, 511);
}

TEST_F(GenericStrategy, WithTheShutterOpenTheGainRisesThenTheYGain)
{
    start(0);
    ASSERT_EQ(context()->Shutter, 0);
    AE_New(context(), kFarTooDark);
    EXPECT_EQ(context()->Gain, 16);
    AE_New(context(), kTooDark);
    EXPECT_EQ(context()->Gain, 20);
    context()->Gain = 210;
    AE_New(context(), kFarTooDark);
    EXPECT_EQ(context()->Gain, 220);
    AE_New(context(), kFarTooDark);
    EXPECT_EQ(context()->YGain, 12u);
}

TEST_F(GenericStrategy, AtTheYGainCeilingTheNextStepChangesNothing)
{
    start(0);
    context()->Gain = context()->GainMax;
    context()->YGain = 46;
    EXPECT_EQ(AE_New(context(), kFarTooDark), 0u);
    EXPECT_EQ(context()->YGain, 48u);
    EXPECT_EQ(AE_New(context(), kFarTooDark), 0u);
    EXPECT_EQ(context()->YGain, 48u);
    EXPECT_EQ(context()->Gain, 220);
    EXPECT_EQ(context()->Shutter, 0);
}

TEST_F(GenericStrategy, WithoutAGCOnlyTheYGainRises)
{
    start(0);
    context()->AGCEnable = 0;
    AE_New(context(), kFarTooDark);
    EXPECT_EQ(context()->Gain, 0);
    EXPECT_EQ(context()->YGain, 12u);
}

TEST_F(GenericStrategy, InBrightLightTheYGainFallsFirstThenTheGainThenTheShutterCloses)
{
    start(0);
    context()->YGain = 16;
    context()->Gain = 60;
    AE_New(context(), kFarTooBright);
    EXPECT_EQ(context()->YGain, 12u);
    AE_New(context(), kFarTooBright);
    EXPECT_EQ(context()->YGain, 8u);  // 8 to 11 round to 8
    AE_New(context(), kFarTooBright);
    EXPECT_EQ(context()->Gain, 44);
    AE_New(context(), kFarTooBright);
    AE_New(context(), kFarTooBright);
    EXPECT_EQ(context()->Gain, 20);   // not below the minimum
    EXPECT_EQ(context()->Shutter, 0);
    AE_New(context(), kFarTooBright);
    EXPECT_GT(context()->Shutter, 0);
}

TEST_F(GenericStrategy, TheShutterClosesNoFurtherThan522Or50WhenFlickerless)
{
    start(0);
    context()->Gain = context()->GainMin;
    context()->Shutter = 521;
    AE_New(context(), kFarTooBright);
    AE_New(context(), kFarTooBright);
    EXPECT_EQ(context()->Shutter, 522);
    context()->Flickerless = 1;
    context()->Shutter = 40;
    for (int step = 0; step < 5; ++step)
        AE_New(context(), kFarTooBright);
    EXPECT_EQ(context()->Shutter, 50);
}

TEST_F(GenericStrategy, EachFrontEndGetsItsOwnGainWord)
{
    for (const ULONG cds : {0u, 1u, 2u, 4u, 6u}) {
        start(cds);
        dualcam::FrontEnd chip(0, int(cds));
        chip.dataWritten(0x101F, std::vector<UCHAR>{0x09, 0x20, 0x03, 0x00, 0x02, 0x00});
        chip.dataWritten(0x101F, std::vector<UCHAR>{0x01, 0x20, 0x02, 0xE8, 0x03, 0x00});
        chip.dataWritten(0x101D, std::vector<UCHAR>{0xE0, 0x00, 0x0C, 0x00, 0x52, 0x00});
        context()->Gain = 120;
        AE_New(context(), kFarTooDark);
        const auto words = wire().writesTo(0x101D);
        ASSERT_EQ(words.size(), 1u) << cds;
        chip.dataWritten(0x101D, words.back().bytes);
        EXPECT_EQ(chip.gainCode(), 136) << "CDS type " << cds;
    }
}

}  // namespace
}  // namespace qm::morvax::test
