// The exposure and white-balance schedule run once per video frame: the
// settle period in which the AE loop runs on every frame whatever its
// enable, what ends it, and what starts it again.
#include <gtest/gtest.h>

#include <array>

#include "tests/videodriver/exposure/bench/context_bench.h"
#include "videodriver/camera/frames/frame_outputs.h"
#include "videodriver/exposure/auto_exposure.h"
#include "videodriver/properties/setting_changes.h"

namespace qm::morvax::test {
namespace {

constexpr USHORT kLuminanceGrid = 0x0820;
constexpr USHORT kWhiteBalanceSums = 0x0800;
// Grid cells of 75 average to the default target, 128; cells of 0 are a
// scene no exposure of the generic strategy ever settles on.
constexpr UCHAR kOnTarget = 75;
constexpr UCHAR kBlack = 0;

class ExposureSchedule : public ContextBench {
protected:
    void SetUp() override
    {
        ContextBench::SetUp();
        board_ = std::make_shared<RegisterBoard>();
        plug(board_);  // the generic strategy
        ResetAE(context());
        context()->AERate = 2;
        context()->AWBEnable = 1;
        context()->AWBRate = 4;
        context()->AWBFrameCounter = 0;
        scene(kBlack);
    }

    void scene(UCHAR cell)
    {
        std::array<UCHAR, 64> cells;
        cells.fill(cell);
        board_->setRun(kLuminanceGrid, cells);
    }

    struct Runs {
        std::size_t exposure = 0;      // frames on which the AE loop ran (it reads the grid)
        std::size_t whiteBalance = 0;  // frames on which white balance ran (it reads the sums)
    };
    Runs frames(int count)
    {
        wire().clear();
        for (int i = 0; i < count; ++i)
            runFrameSchedule(context());
        return {wire().readsOf(kLuminanceGrid).size(), wire().readsOf(kWhiteBalanceSums).size()};
    }

    std::shared_ptr<RegisterBoard> board_;
};

TEST_F(ExposureSchedule, UntilTheExposureSettlesTheLoopRunsOnEveryFrameWhateverItsEnable)
{
    context()->AEEnable = 0;
    context()->AESettleCounter = 50;
    const Runs settling = frames(50);
    EXPECT_EQ(settling.exposure, 50u);
    EXPECT_EQ(settling.whiteBalance, 0u) << "white balance waits for settled exposure";
    EXPECT_EQ(context()->AESettleCounter, 0u);

    // Then, switched off, it rests; white balance runs on every fifth frame
    // (the frame counter's value 2 in a cycle of AWB rate + 1).
    const Runs after = frames(12);
    EXPECT_EQ(after.exposure, 0u);
    EXPECT_EQ(after.whiteBalance, 3u);
}

TEST_F(ExposureSchedule, TheFirstSettledReportEndsTheSettlePeriod)
{
    context()->AEEnable = 0;
    context()->AESettleCounter = 50;
    scene(kOnTarget);
    int frame = 0;
    while (context()->AESettleCounter > 0 && frame < 50) {
        frames(1);
        ++frame;
    }
    EXPECT_LT(frame, 40) << "the running average reached the target long before the count ran out";
    EXPECT_EQ(frames(10).exposure, 0u);
}

TEST_F(ExposureSchedule, SettledTheLoopLeavesTheWhiteBalanceFrameToWhiteBalance)
{
    context()->AEEnable = 1;
    context()->AESettleCounter = 0;
    // Unsettled, every frame is the loop's and the white-balance count
    // starts over each time.
    EXPECT_EQ(frames(10).exposure, 10u);
    EXPECT_EQ(frames(10).whiteBalance, 0u);
    scene(kOnTarget);
    frames(40);  // the average reaches the target
    // Settled, the loop skips the white-balance frame. Its frames between
    // AE-rate steps report nothing settled and start the white-balance count
    // over, so at AE rate 2 white balance gets every third frame.
    const Runs settled = frames(21);
    EXPECT_EQ(settled.whiteBalance, 7u);
    EXPECT_EQ(settled.exposure, 14u);
}

TEST_F(ExposureSchedule, ABrightnessOrLightSourceChangeStartsASettlePeriodAndAeOffEndsIt)
{
    context()->AEEnable = 0;
    context()->AESettleCounter = 0;
    ASSERT_EQ(frames(5).exposure, 0u);

    ASSERT_EQ(changeBrightness(context(), 40), STATUS_SUCCESS);
    EXPECT_EQ(frames(30).exposure, 30u);
    EXPECT_EQ(frames(5).exposure, 0u);

    ASSERT_EQ(changeLightSource(context(), 1), STATUS_SUCCESS);
    EXPECT_EQ(frames(10).exposure, 10u);
    ASSERT_EQ(changeAEEnable(context(), 0), STATUS_SUCCESS);
    EXPECT_EQ(frames(5).exposure, 0u);

    // A refused value starts nothing.
    EXPECT_EQ(changeBrightness(context(), 64), STATUS_INVALID_PARAMETER);
    EXPECT_EQ(frames(5).exposure, 0u);
}

}  // namespace
}  // namespace qm::morvax::test
