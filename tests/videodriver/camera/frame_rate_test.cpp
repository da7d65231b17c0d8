// The frame rate an opened format asks for, as the camera's rate index.
#include "videodriver/camera/frame_rate.h"

#include <gtest/gtest.h>

namespace qm::morvax {
namespace {

ULONG indexFor(ULONG width, ULONG height, LONGLONG avgTimePerFrame)
{
    MorvaxContext context{};
    context.Width = width;
    context.Height = height;
    AdapterSetFrameRate(&context, frameRateTenths(avgTimePerFrame));
    return context.FrameRateIndex;
}

TEST(FrameRate, WholeFramesPerSecondInTenths)
{
    EXPECT_EQ(frameRateTenths(333667), 290u);   // 29.97 counts as 29
    EXPECT_EQ(frameRateTenths(333333), 300u);
    EXPECT_EQ(frameRateTenths(666666), 150u);
    EXPECT_EQ(frameRateTenths(10000000), 10u);
    EXPECT_EQ(frameRateTenths(10000001), 0u);   // below one frame per second
    EXPECT_EQ(frameRateTenths(0), 0u);
    EXPECT_EQ(frameRateTenths(-1), 0u);
}

TEST(FrameRate, IndexBandsOfTheCamera)
{
    struct Case {
        LONGLONG interval;
        ULONG index;
    };
    for (const Case& c : {Case{333333, 0}, Case{333667, 0}, Case{400000, 1}, Case{500000, 2}, Case{666666, 3},
                          Case{1000000, 4}, Case{2000000, 5}, Case{3333333, 6}, Case{5000000, 7},
                          Case{20000000, 7}})
        EXPECT_EQ(indexFor(320, 240, c.interval), c.index) << c.interval;
}

TEST(FrameRate, FullSizeNeverRunsFasterThanFifteenFramesPerSecond)
{
    EXPECT_EQ(indexFor(640, 480, 333667), 3u);
    EXPECT_EQ(indexFor(640, 480, 400000), 3u);   // 25 frames per second
    EXPECT_EQ(indexFor(640, 480, 500000), 2u);   // 20 is still allowed
    EXPECT_EQ(indexFor(640, 480, 1000000), 4u);
    EXPECT_EQ(indexFor(352, 288, 333667), 0u);
}

}  // namespace
}  // namespace qm::morvax
