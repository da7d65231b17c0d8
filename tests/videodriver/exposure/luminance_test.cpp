// The loop's measurement: the 8 x 8 grid weighted by frame width, bright
// cells capped, and the brightness target.
#include <array>

#include "tests/videodriver/exposure/bench/context_bench.h"
#include "videodriver/exposure/auto_exposure.h"

namespace qm::morvax::test {
namespace {

constexpr USHORT kGrid = 0x0820;

class Luminance : public ContextBench {
protected:
    void SetUp() override
    {
        ContextBench::SetUp();
        board_ = std::make_shared<RegisterBoard>();
        plug(board_);
    }

    void fillGrid(UCHAR value)
    {
        std::array<UCHAR, 64> cells;
        cells.fill(value);
        board_->setRun(kGrid, cells);
    }
    void setCell(ULONG row, ULONG column, UCHAR value) { board_->set(USHORT(kGrid + row * 8 + column), value); }

    ULONG measure(ULONG width)
    {
        context()->Width = width;
        ULONG average = 0;
        EXPECT_TRUE(getLumAverage(context(), &average));
        return average;
    }

    std::shared_ptr<RegisterBoard> board_;
};

TEST_F(Luminance, AnEvenGridOf75ReadsAsTheDefaultTargetAtEverySize)
{
    fillGrid(75);
    for (const ULONG width : {160u, 176u, 320u, 352u, 640u})
        EXPECT_EQ(measure(width), 128u) << width;
}

TEST_F(Luminance, SmallFramesAverageOnlyTheTopLeftFourCells)
{
    setCell(0, 0, 100);
    setCell(1, 1, 50);
    setCell(2, 2, 140);  // outside a 160 x 120 frame
    EXPECT_EQ(measure(160), (100u + 50u) * 32 / 75);
    EXPECT_EQ(measure(176), (100u + 50u) * 32 / 75);
}

TEST_F(Luminance, MiddleSizesWeightTheLowerMiddleOfTheTopLeftQuarter)
{
    setCell(0, 0, 120);  // weight 1
    EXPECT_EQ(measure(320), 120u * 128 / (128 * 75));
    setCell(0, 0, 0);
    setCell(3, 0, 120);  // weight 10
    EXPECT_EQ(measure(352), 1200u * 128 / (128 * 75));
    setCell(4, 4, 140);  // outside the quarter
    EXPECT_EQ(measure(320), 1200u * 128 / (128 * 75));
}

TEST_F(Luminance, VgaWeightsTheBottomRowMostAndIgnoresTheTopCorners)
{
    setCell(0, 0, 140);  // weight 0
    setCell(0, 7, 140);  // weight 0
    EXPECT_EQ(measure(640), 0u);
    setCell(7, 0, 100);  // weight 3
    EXPECT_EQ(measure(640), 300u * 128 / (128 * 75));
    setCell(1, 1, 100);  // weight 1
    EXPECT_EQ(measure(640), 400u * 128 / (128 * 75));
}

TEST_F(Luminance, CellsFrom90HexCountAs90Hex)
{
    fillGrid(0xFF);
    const ULONG capped = 0x90u * 128 / 75;
    EXPECT_EQ(measure(640), capped);
    EXPECT_EQ(measure(320), capped);
    EXPECT_EQ(measure(160), 4u * 0x90 * 32 / 75);
    fillGrid(0x8F);
    EXPECT_LT(measure(640), capped);
}

TEST(BrightnessTarget, FollowsBrightnessInsideTheWindow)
{
    MorvaxContext context{};
    context.BrightnessMin = 64;
    context.BrightnessMax = 192;
    context.Brightness = 32;
    EXPECT_EQ(brightnessTarget(&context), 128);
    context.Brightness = 0;
    EXPECT_EQ(brightnessTarget(&context), 64);
    context.Brightness = 63;
    EXPECT_EQ(brightnessTarget(&context), 64 + 129 * 63 / 64);
    context.BrightnessMin = 100;
    context.BrightnessMax = 100;
    EXPECT_EQ(brightnessTarget(&context), 100);
}

}  // namespace
}  // namespace qm::morvax::test
