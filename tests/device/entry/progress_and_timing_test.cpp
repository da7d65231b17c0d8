#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "device/entry/progress_reporter.h"
#include "device/entry/session_timing.h"
#include "device/entry/spinning_thread.h"
#include "device/entry/time_record.h"
#include "device/entry/timed_wait.h"
#include "device/transport/link_timing.h"

namespace qm::device {
namespace {

std::vector<std::array<std::uint32_t, 3>> calls;
void recordCall(std::uint32_t a, std::uint32_t b, std::uint32_t c) { calls.push_back({a, b, c}); }

TEST(ProgressReporter, MapsClampedPositionsToPercent)
{
    EXPECT_EQ(ProgressReporter::percentOf(50, 0, 200), 25u);
    EXPECT_EQ(ProgressReporter::percentOf(5, 10, 20), 0u);
    EXPECT_EQ(ProgressReporter::percentOf(30, 10, 20), 100u);
    EXPECT_EQ(ProgressReporter::percentOf(15, 10, 20), 50u);
    // Large objects do not overflow, an empty range is complete.
    EXPECT_EQ(ProgressReporter::percentOf(0xF0000000u, 0, 0xFFFFFFFFu), 93u);
    EXPECT_EQ(ProgressReporter::percentOf(0, 0, 0), 100u);
    EXPECT_EQ(ProgressReporter::percentOf(7, 9, 3), 100u);
}

TEST(ProgressReporter, CallsBackWithThePercentAndAnEndCall)
{
    calls.clear();
    ProgressReporter reporter;
    reporter.report(10);  // no callback yet: nothing happens
    reporter.setCallback(&recordCall);
    reporter.setRange(0, 4000);
    reporter.report(1000);
    reporter.report(9999);
    reporter.end();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0], (std::array<std::uint32_t, 3>{0, 0, 25}));
    EXPECT_EQ(calls[1], (std::array<std::uint32_t, 3>{0, 0, 100}));
    EXPECT_EQ(calls[2], (std::array<std::uint32_t, 3>{0, 0, 0}));
}

TEST(SessionTiming, FollowsTheLinksTimingAndOnlyEverShortensWaits)
{
    const unsigned before = linkTimePercent();
    setLinkTimePercent(5);
    EXPECT_DOUBLE_EQ(SessionTiming::likeTheLink().scale(), 0.05);
    setLinkTimePercent(100);
    EXPECT_DOUBLE_EQ(SessionTiming::likeTheLink().scale(), 1.0);
    setLinkTimePercent(before);

    EXPECT_DOUBLE_EQ(SessionTiming(0.0).scale(), 1.0);
    EXPECT_DOUBLE_EQ(SessionTiming(-2.0).scale(), 1.0);
    EXPECT_DOUBLE_EQ(SessionTiming(3.0).scale(), 1.0);
    const SessionTiming fast(0.01);
    EXPECT_EQ(fast.scaled(20000), 200u);
    EXPECT_EQ(fast.scaled(10), 1u) << "a step never vanishes";
    EXPECT_EQ(fast.scaled(0), 0u);
    EXPECT_EQ(SessionTiming().scaled(1000), 1000u);
}

TEST(TimedWait, EndsAtOnceWhenTheCameraIsReady)
{
    int asked = 0;
    const bool ready = timedWait({60000, 100, 30, 100}, [&] { return ++asked == 1; }, nullptr);
    EXPECT_TRUE(ready);
    EXPECT_EQ(asked, 1);
}

TEST(TimedWait, WalksTheStretchAndReportsPositionsWithinIt)
{
    calls.clear();
    ProgressReporter reporter;
    reporter.setCallback(&recordCall);
    reporter.setRange(0, 100);
    int asked = 0;
    // 60 % to 100 % of 100 ms: 40 ms in 5 ms steps, never ready.
    const bool ready = timedWait({100, 5, 60, 100}, [&] { return ++asked < 0; }, &reporter);
    EXPECT_FALSE(ready);
    EXPECT_GE(asked, 2);
    ASSERT_FALSE(calls.empty());
    std::uint32_t previous = 0;
    for (const auto& call : calls) {
        EXPECT_GE(call[2], 60u) << "positions start at the stretch's beginning";
        EXPECT_GE(call[2], previous);
        previous = call[2];
    }
}

TEST(TimedWait, AnEmptyStretchDoesNotWait)
{
    int asked = 0;
    EXPECT_FALSE(timedWait({1000, 10, 50, 50}, [&] { return ++asked > 0; }, nullptr));
    EXPECT_EQ(asked, 0);
}

TEST(SpinningThread, StartsAndEndsWithItsScope)
{
    for (int i = 0; i < 3; ++i) {
        SpinningThread thread;
        EXPECT_TRUE(thread.started());
    }
}

TEST(TimeRecord, KeepsTheFieldsInBrokenDownTimeOrder)
{
    std::array<std::uint8_t, 36> record;
    record.fill(0xEE);
    writeTimeRecord(record, CameraTime{59, 30, 23, 31, 12, 2001});
    const std::uint8_t expected[36] = {59, 0, 0, 0, 30, 0, 0, 0, 23, 0, 0, 0, 31, 0, 0, 0, 12, 0, 0, 0,
                                       0xD1, 0x07, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_TRUE(std::equal(record.begin(), record.end(), expected));
    const CameraTime back = readTimeRecord(record);
    EXPECT_EQ(back.year, 2001u);
    EXPECT_EQ(back.month, 12u);
    EXPECT_EQ(back.second, 59u);
}

}  // namespace
}  // namespace qm::device
