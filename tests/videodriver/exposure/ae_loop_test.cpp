// The loop around the strategies: the reset at capture start, the AE rate,
// the running average and the choice of strategy.
#include <gmock/gmock.h>

#include <array>

#include "tests/videodriver/exposure/bench/context_bench.h"
#include "videodriver/exposure/auto_exposure.h"

namespace qm::morvax::test {
namespace {

using ::testing::ElementsAre;

class AeLoop : public ContextBench {
protected:
    void start(ULONG ccdType, ULONG cdsType)
    {
        board_ = std::make_shared<RegisterBoard>();
        plug(board_, ccdType, cdsType);
    }

    void fillGrid(UCHAR value)
    {
        std::array<UCHAR, 64> cells;
        cells.fill(value);
        board_->setRun(0x0820, cells);
    }

    std::vector<UCHAR> lastWrite(USHORT address)
    {
        const auto writes = wire().writesTo(address);
        return writes.empty() ? std::vector<UCHAR>{} : writes.back().bytes;
    }

    std::shared_ptr<RegisterBoard> board_;
};

TEST_F(AeLoop, ResetSetsBandsAndRangesByFrontEnd)
{
    struct Expected {
        ULONG cds;
        ULONG wide, narrow;
        LONG ev, gain, gainMin, gainMax;
        ULONG bigStep;
    };
    const Expected cases[] = {
        {0, 32, 8, 0, 0, 20, 220, 32},   {1, 16, 8, 0, 0, 20, 220, 32},   {2, 32, 8, 0, 60, 20, 220, 32},
        {4, 32, 16, 0, 100, 100, 220, 32}, {5, 32, 20, 40, 1, 0, 6, 16}, {7, 32, 20, 50, 10, 0, 18, 16},
        {8, 40, 20, 0, 0, 0, 255, 32},
    };
    for (const Expected& expected : cases) {
        start(0, expected.cds);
        ResetAE(context());
        EXPECT_EQ(context()->AEThresholdWide, expected.wide) << expected.cds;
        EXPECT_EQ(context()->AEThresholdNarrow, expected.narrow) << expected.cds;
        EXPECT_EQ(context()->EvOffset, expected.ev) << expected.cds;
        EXPECT_EQ(context()->Gain, expected.gain) << expected.cds;
        EXPECT_EQ(context()->GainMin, expected.gainMin) << expected.cds;
        EXPECT_EQ(context()->GainMax, expected.gainMax) << expected.cds;
        EXPECT_EQ(context()->BigStep, expected.bigStep) << expected.cds;
        EXPECT_EQ(context()->SmallStep, 4u);
        EXPECT_EQ(context()->Shutter, 0);
        EXPECT_EQ(context()->YGain, 8u);
        EXPECT_THAT(lastWrite(0x101B), ElementsAre(0, 0));
        EXPECT_THAT(lastWrite(0x100E), ElementsAre(8));
    }
    start(3, 0);
    ResetAE(context());
    EXPECT_EQ(context()->GainMax, 63);
    EXPECT_EQ(context()->Gain, 0);
}

TEST_F(AeLoop, ResetTakesBandsAndEvFromTheSettingsKey)
{
    putSetting(u"AEThresholdWide", 50);
    putSetting(u"AEThresholdNarrow", 12);
    putSetting(u"Ev", 30);
    start(0, 7);
    ResetAE(context());
    EXPECT_EQ(context()->AEThresholdWide, 50u);
    EXPECT_EQ(context()->AEThresholdNarrow, 12u);
    EXPECT_EQ(context()->EvOffset, 30);
}

TEST_F(AeLoop, ResetSetsUpTheFrontEndAndWritesItsFirstGain)
{
    start(0, 1);
    ResetAE(context());
    EXPECT_THAT(lastWrite(0x101F), ElementsAre(0x09, 0x20, 0x03, 0x00, 0x02, 0x00));
    EXPECT_THAT(lastWrite(0x101D), ElementsAre(0x00, 0x00));
    start(0, 2);
    ResetAE(context());
    const auto words = wire().writesTo(0x101D);
    ASSERT_EQ(words.size(), 2u);
    EXPECT_THAT(words[0].bytes, ElementsAre(0xE0, 0x00, 0x0C, 0x00, 0x52, 0x00));
    EXPECT_EQ(words[1].bytes.size(), 2u);  // the gain word, 60
    start(0, 5);
    ResetAE(context());
    EXPECT_EQ(context()->AETarget, 128);
    EXPECT_EQ(lastWrite(0x101D).size(), 8u);
    start(0, 8);
    ResetAE(context());
    EXPECT_TRUE(wire().writesTo(0x101D).empty());  // no gain word on this chip
}

TEST_F(AeLoop, AnAERateOf2StepsOnEverySecondFrame)
{
    start(0, 0);
    ResetAE(context());
    context()->Shutter = 400;
    fillGrid(10);  // far too dark
    wire().clear();
    std::vector<ULONG> steppedFrames;
    for (ULONG frame = 1; frame <= 6; ++frame) {
        const auto before = wire().writesTo(0x101B).size();
        EXPECT_EQ(doAE(context()), 0u);
        if (wire().writesTo(0x101B).size() != before)
            steppedFrames.push_back(frame);
    }
    EXPECT_THAT(steppedFrames, ElementsAre(2, 4, 6));
}

TEST_F(AeLoop, NothingHappensWhileTheLoopIsInactive)
{
    start(0, 0);
    ResetAE(context());
    context()->AEActive = 0;
    wire().clear();
    for (int frame = 0; frame < 4; ++frame)
        EXPECT_EQ(doAE(context()), 0u);
    EXPECT_TRUE(wire().accesses().empty());
}

TEST_F(AeLoop, TheAverageTakesAQuarterOfEachNewMeasurement)
{
    start(0, 0);
    ResetAE(context());
    context()->AERate = 1;
    fillGrid(75);  // 128
    doAE(context());
    EXPECT_EQ(context()->LuminanceAverage, 100u + 32 - 25);
    doAE(context());
    EXPECT_EQ(context()->LuminanceAverage, 107u + 32 - 27);
    for (int frame = 0; frame < 30; ++frame)
        doAE(context());
    EXPECT_NEAR(double(context()->LuminanceAverage), 128.0, 3.0);
    EXPECT_EQ(doAE(context()), 1u);  // on target: settled
}

TEST_F(AeLoop, TheSensorAndFrontEndChooseTheStrategy)
{
    start(3, 5);  // the CMOS sensor's strategy wins over the front end's
    ResetAE(context());
    context()->AERate = 1;
    fillGrid(10);
    wire().clear();
    doAE(context());
    EXPECT_THAT(lastWrite(0x0B00), ElementsAre(0xFB, 0x13, 0x02));
    EXPECT_TRUE(wire().readsOf(0x0810).empty());

    start(0, 5);
    ResetAE(context());
    context()->AERate = 1;
    fillGrid(10);
    wire().clear();
    doAE(context());
    EXPECT_FALSE(wire().readsOf(0x0810).empty());  // the Tasc strategy looks at the black level
}

}  // namespace
}  // namespace qm::morvax::test
