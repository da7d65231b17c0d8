// A stalled or vanished camera: reads time out, the pipes are reset and
// streaming resumes, or the stream closes cleanly when it cannot.
#include <gtest/gtest.h>

#include "tests/videodriver/engine/scripted_rig.h"

namespace qm::morvax::test {
namespace {

constexpr std::size_t kFrameBytes = 3002;
// The read time-out (5 s) plus the reset's wait for the idle transfers.
constexpr ULONG kRecoveryLimitMs = 8000;

class StallRecovery : public ScriptedRig {
protected:
    // Steps the clock until the camera has seen its pipes aborted (the reset
    // work item is then waiting for the transfers to go idle).
    bool untilPipesAborted(unsigned before)
    {
        for (ULONG ms = 0; ms < kRecoveryLimitMs; ++ms) {
            if (scripted().pipeAborts() > before)
                return true;
            advance(1);
        }
        return false;
    }
};

TEST_F(StallRecovery, AStalledPipeIsResetAfterAReadTimesOutAndStreamingResumes)
{
    auto stream = running();
    const unsigned resetsBefore = scripted().pipeResets();
    scripted().stallDataPipe();
    stream->queueRead(frameExtent());

    // The waiting read gives up with the reset.
    auto timedOut = stream->waitForRead(kRecoveryLimitMs);
    ASSERT_TRUE(timedOut);
    EXPECT_EQ(timedOut->status, STATUS_CANCELLED);
    EXPECT_GE(scripted().pipeResets(), resetsBefore + 2);

    // The restarted stream delivers frames again once its transfers run,
    // from the first one the camera sends.
    advance(40);
    stream->queueRead(frameExtent());
    scripted().queue(makeFrame(1, kFrameBytes));
    scripted().queue(makeFrame(2, kFrameBytes));
    sendAll();
    auto read = stream->takeRead();
    ASSERT_TRUE(read);
    EXPECT_EQ(read->status, STATUS_SUCCESS);
    EXPECT_EQ(markerOf(*read), 1);
}

TEST_F(StallRecovery, ClosingWhileAResetIsUnderWayWaitsForIt)
{
    auto stream = running();
    const unsigned resetsBefore = scripted().pipeResets();
    scripted().stallDataPipe();
    stream->queueRead(frameExtent());
    ASSERT_TRUE(untilPipesAborted(scripted().pipeAborts()));

    EXPECT_EQ(stream->close(), STATUS_SUCCESS);
    // The reset finished its work on the channel before the close went on.
    EXPECT_GE(scripted().pipeResets(), resetsBefore + 2);
    auto cancelled = stream->takeRead();
    ASSERT_TRUE(cancelled);
    EXPECT_EQ(cancelled->status, STATUS_CANCELLED);
}

TEST_F(StallRecovery, AnUnpluggedCameraLetsTheStreamCloseAndTheDeviceGo)
{
    auto stream = running();
    stream->queueRead(frameExtent());
    bus().unplug(port());
    // The reset finds the port empty and does not restart anything.
    auto read = stream->waitForRead(kRecoveryLimitMs);
    ASSERT_TRUE(read);
    EXPECT_NE(read->status, STATUS_SUCCESS);
    EXPECT_EQ(stream->setState(KSSTATE_STOP), STATUS_SUCCESS);
    EXPECT_EQ(stream->close(), STATUS_SUCCESS);
    EXPECT_EQ(host().uninitialize(), STATUS_SUCCESS);
}

}  // namespace
}  // namespace qm::morvax::test
