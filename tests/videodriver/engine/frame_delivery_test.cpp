// Frames from isochronous packets to reads: which read gets which frame,
// and which frames never reach a read.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/videodriver/engine/scripted_rig.h"

namespace qm::morvax::test {
namespace {

class FrameDelivery : public ScriptedRig {};

// Frame sizes the camera's trailer can announce (4n + 2).
constexpr std::size_t kSmallFrame = 3002;
constexpr std::size_t kLargeFrame = 40002;

TEST_F(FrameDelivery, EachReadGetsOneWholeFrameInOrder)
{
    auto stream = running();
    for (int i = 0; i < 3; ++i)
        stream->queueRead(frameExtent());
    // The stream's first transfer is still out: its first packet begins a
    // frame, so the first read takes frame 100 from its start.
    scripted().queue(makeFrame(100, kSmallFrame));
    const ScriptedFrame first = makeFrame(101, kLargeFrame);
    scripted().queue(first);
    scripted().queue(makeFrame(102, kSmallFrame));
    scripted().queue(makeFrame(103, kSmallFrame));
    sendAll();

    std::vector<std::uint16_t> markers;
    while (auto read = stream->takeRead()) {
        EXPECT_EQ(read->status, STATUS_SUCCESS);
        markers.push_back(markerOf(*read));
        if (markerOf(*read) == 101) {
            // A JPEG header, then the frame from its payload on: the last two
            // payload bytes are back from the frame header over the trailer,
            // and the frame's length decides the size.
            ASSERT_EQ(read->data.size(), kScanOffset + kLargeFrame);
            EXPECT_EQ(read->data[0], 0xFF);
            EXPECT_EQ(read->data[1], 0xD8);
            const auto payload = read->data.begin() + std::ptrdiff_t(kScanOffset);
            EXPECT_TRUE(std::equal(payload, payload + (kLargeFrame - 6), first.bytes.begin() + 4));
            EXPECT_EQ(payload[kLargeFrame - 6], first.bytes[2]);
            EXPECT_EQ(payload[kLargeFrame - 5], first.bytes[1]);
        }
    }
    // Three reads, three frames: 103 found no read waiting.
    EXPECT_EQ(markers, (std::vector<std::uint16_t>{100, 101, 102}));
}

TEST_F(FrameDelivery, AFrameWithoutAWaitingReadIsDroppedAndTheNextReadGetsTheNextFrame)
{
    auto stream = running();
    scripted().queue(makeFrame(200, kSmallFrame));
    scripted().queue(makeFrame(201, kSmallFrame));
    sendAll();
    EXPECT_FALSE(stream->takeRead());

    stream->queueRead(frameExtent());
    scripted().queue(makeFrame(202, kSmallFrame));
    scripted().queue(makeFrame(203, kSmallFrame));
    sendAll();
    auto read = stream->takeRead();
    ASSERT_TRUE(read);
    // 202 began before the read became current: the read starts with 203.
    EXPECT_EQ(markerOf(*read), 203);
    EXPECT_FALSE(stream->takeRead());
}

TEST_F(FrameDelivery, FramesThatDoNotMatchTheirTrailerOrCarryBadPacketsAreSkipped)
{
    auto stream = running();
    for (int i = 0; i < 3; ++i)
        stream->queueRead(frameExtent());
    scripted().queue(makeFrame(300, kSmallFrame));
    // A frame whose count is one unit short of what arrives.
    ScriptedFrame miscounted = makeFrame(301, kSmallFrame);
    miscounted.bytes[kSmallFrame - 2] -= 1;
    scripted().queue(miscounted);
    ScriptedFrame damaged = makeFrame(302, kSmallFrame);
    damaged.badPacket = true;
    scripted().queue(damaged);
    scripted().queue(makeFrame(303, kSmallFrame));
    scripted().queue(makeFrame(304, kSmallFrame));
    sendAll();
    scripted().queue(makeFrame(305, kSmallFrame));
    scripted().queue(makeFrame(306, kSmallFrame));
    sendAll();

    // A read that held a bad frame waits again and takes a later one (which
    // one depends on when the conversion gave up): every read gets a good
    // frame, in order, and neither bad frame reaches one.
    std::vector<std::uint16_t> markers;
    while (auto read = stream->takeRead())
        markers.push_back(markerOf(*read));
    ASSERT_EQ(markers.size(), 3u);
    EXPECT_EQ(markers[0], 300);
    EXPECT_EQ(markers[1], 303);
    EXPECT_GE(markers[2], 304);
}

TEST_F(FrameDelivery, PacketsBeyondTheReadBufferAreNeverWritten)
{
    auto stream = running();
    stream->queueRead(frameExtent());
    stream->queueRead(frameExtent());
    scripted().queue(makeFrame(400, kSmallFrame));
    // More than a read's buffer holds, with no end mark until the last
    // packet: the engine skips what does not fit and the frame is dropped.
    ScriptedFrame endless = makeFrame(401, 4 * 0xFFFF + 2);
    endless.endMark = false;
    for (int i = 0; i < 3; ++i)
        scripted().queue(endless);
    scripted().queue(makeFrame(402, kSmallFrame));
    scripted().queue(makeFrame(403, kSmallFrame));
    sendAll();

    auto read = stream->takeRead();
    ASSERT_TRUE(read);
    EXPECT_EQ(markerOf(*read), 400);
    // The second read waited through the oversized frame (402 is its end).
    read = stream->takeRead();
    ASSERT_TRUE(read);
    EXPECT_EQ(markerOf(*read), 403);
    EXPECT_EQ(read->data.size(), kScanOffset + kSmallFrame);
}

TEST_F(FrameDelivery, ACancelledReadIsCompletedOnceAndTheNextReadTakesItsPlace)
{
    auto stream = running();
    ULONG cancelled = 0;
    stream->queueRead(frameExtent());
    stream->queueRead(frameExtent(), &cancelled);
    stream->queueRead(frameExtent());
    scripted().queue(makeFrame(500, kSmallFrame));
    sendAll();
    auto read = stream->takeRead();
    ASSERT_TRUE(read);
    EXPECT_EQ(markerOf(*read), 500);
    // The second read is now the current one, waiting for its frame.
    ASSERT_EQ(stream->cancelRead(cancelled), STATUS_SUCCESS);
    settle();
    read = stream->takeRead();
    ASSERT_TRUE(read);
    EXPECT_EQ(read->id, cancelled);
    EXPECT_EQ(read->status, STATUS_CANCELLED);
    EXPECT_EQ(read->header.DataUsed, 0u);

    scripted().queue(makeFrame(501, kSmallFrame));
    scripted().queue(makeFrame(502, kSmallFrame));
    sendAll();
    read = stream->takeRead();
    ASSERT_TRUE(read);
    EXPECT_EQ(read->status, STATUS_SUCCESS);
    EXPECT_EQ(markerOf(*read), 502);
}

}  // namespace
}  // namespace qm::morvax::test
