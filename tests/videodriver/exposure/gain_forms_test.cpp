// The front-end gain words: the bytes each writer sends, and that the chip
// they are meant for (the dual-mode camera's model of it) reads the gain
// back from them. Shutter and Y gain go to their registers.
#include <gmock/gmock.h>

#include "simulators/dualcam/front_end.h"
#include "tests/videodriver/exposure/bench/context_bench.h"
#include "videodriver/camera/register_shadow.h"
#include "videodriver/exposure/exposure_registers.h"

namespace qm::morvax::test {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

constexpr USHORT kFrontEndData = 0x101D;
constexpr USHORT kFrontEndSetup = 0x101F;

class GainForms : public ContextBench {
protected:
    void use(ULONG cdsType)
    {
        plug(std::make_shared<RegisterBoard>(), 0, cdsType);
        chip_ = std::make_unique<dualcam::FrontEnd>(0, int(cdsType));
        context()->GainMin = 0;
        context()->GainMax = 255;
    }

    // The bytes of the last write to `address`, also handed to the chip.
    std::vector<UCHAR> sent(USHORT address)
    {
        const auto writes = wire().writesTo(address);
        EXPECT_FALSE(writes.empty());
        if (writes.empty())
            return {};
        chip_->dataWritten(address, writes.back().bytes);
        return writes.back().bytes;
    }

    std::unique_ptr<dualcam::FrontEnd> chip_;
};

TEST_F(GainForms, SharpWordCarriesTheGainInItsThirdByte)
{
    use(0);
    context()->Gain = 0x4D;
    ASSERT_EQ(setSharpAGCGain(context()), 1u);
    EXPECT_THAT(sent(kFrontEndData), ElementsAre(0xC0, 0x00, 0x4D, 0x02, 0x00, 0x01));
    EXPECT_EQ(chip_->gainCode(), 0x4D);
}

TEST_F(GainForms, HitachiChipsTakeTheGainAfterTheirSetUpWord)
{
    for (const ULONG cds : {1u, 4u}) {
        use(cds);
        ASSERT_EQ(cds == 1 ? initHitachiAGCGain(context()) : initHitachi49323AGCGain(context()), 1u);
        if (cds == 1)
            EXPECT_THAT(sent(kFrontEndSetup), ElementsAre(0x09, 0x20, 0x03, 0x00, 0x02, 0x00));
        else
            EXPECT_THAT(sent(kFrontEndSetup), ElementsAre(0x01, 0x20, 0x02, 0xE8, 0x03, 0x00));
        context()->Gain = 0xA7;
        ASSERT_EQ(setHitachiAGCGain(context()), 1u);
        EXPECT_THAT(sent(kFrontEndData), ElementsAre(0x70, 0x0A));
        EXPECT_EQ(chip_->gainCode(), 0xA7) << cds;
    }
}

TEST_F(GainForms, TheHitachi49323SetUpLiftsTheGainTo100)
{
    use(4);
    context()->Gain = 20;
    initHitachi49323AGCGain(context());
    EXPECT_EQ(context()->Gain, 100);
    context()->Gain = 150;
    initHitachi49323AGCGain(context());
    EXPECT_EQ(context()->Gain, 150);
}

TEST_F(GainForms, PanasonicWordIsBitReversedInTwoParts)
{
    EXPECT_EQ(BitSwap(0x01), 0x80);
    EXPECT_EQ(BitSwap(0xB4), 0x2D);
    use(2);
    ASSERT_EQ(initPanasonicAGCGain(context()), 1u);
    EXPECT_THAT(sent(kFrontEndData), ElementsAre(0xE0, 0x00, 0x0C, 0x00, 0x52, 0x00));
    context()->Gain = 60;  // 0011 1100
    ASSERT_EQ(setPanasonicAGCGain(context()), 1u);
    EXPECT_THAT(sent(kFrontEndData), ElementsAre(BitSwap(60 >> 3), BitSwap(UCHAR((60 << 5) & 0xFF))));
    EXPECT_EQ(chip_->gainCode(), 60);
}

TEST_F(GainForms, TascWordRepeatsTheInvertedCodeFourTimesWithinTheRange)
{
    use(5);
    context()->GainMax = 6;
    for (LONG gain = 0; gain <= 6; ++gain) {
        context()->Gain = gain;
        ASSERT_EQ(SetAGC_Tasc(context()), 1u);
        const UCHAR code = UCHAR((~ULONG(gain) << 5) & 0xFF);
        EXPECT_THAT(sent(kFrontEndData), ElementsAre(0, code, 0, code, 0, code, 0, code));
        EXPECT_EQ(chip_->gainCode(), gain);
    }
    context()->Gain = 9;
    SetAGC_Tasc(context());
    EXPECT_EQ(context()->Gain, 6);
    EXPECT_EQ(sent(kFrontEndData)[1], UCHAR((~6u << 5) & 0xFF));
}

TEST_F(GainForms, ToshibaWordComesFromTheTableWithChannelNumbers)
{
    use(7);
    context()->GainMax = 18;
    context()->Gain = 4;  // 1024 = 04 00
    ASSERT_EQ(SetAGC_Toshiba(context()), 1u);
    EXPECT_THAT(sent(kFrontEndData), ElementsAre(0x00, 0x04, 0x00, 0x14, 0x00, 0x24, 0x00, 0x34));
    for (LONG gain = 0; gain <= 18; ++gain) {
        context()->Gain = gain;
        SetAGC_Toshiba(context());
        sent(kFrontEndData);
        EXPECT_EQ(chip_->gainCode(), kToshibaGainTable[gain]) << gain;
    }
    context()->Gain = 40;
    SetAGC_Toshiba(context());
    EXPECT_EQ(context()->Gain, 18);
}

TEST_F(GainForms, ShutterAndYGainGoToTheirRegistersAndTheImage)
{
    use(0);
    context()->Shutter = 0x0123;
    ASSERT_EQ(SetShutter(context()), 1u);
    EXPECT_THAT(wire().writesTo(0x101B).back().bytes, ElementsAre(0x23, 0x01));
    EXPECT_EQ(DR_GetRegister(0x101C), 0x01);
    context()->YGain = 44;
    ASSERT_EQ(SetYGain(context()), 1u);
    EXPECT_THAT(wire().writesTo(0x100E).back().bytes, ElementsAreArray({44}));
    EXPECT_EQ(DR_GetRegister(0x100E), 44);
}

}  // namespace
}  // namespace qm::morvax::test
