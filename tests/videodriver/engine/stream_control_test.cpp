// Stream states, presentation times and frame numbers, reads that fail at
// once, and the two stream properties.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/streamclass/master_clock.h"
#include "tests/videodriver/engine/scripted_rig.h"

namespace qm::morvax::test {
namespace {

constexpr std::size_t kFrameBytes = 3002;
constexpr LONGLONG kFrameInterval = 333667;  // 100-ns units
constexpr ULONG kTimeFlags = KSSTREAM_HEADER_OPTIONSF_TIMEVALID | KSSTREAM_HEADER_OPTIONSF_DURATIONVALID;

class StreamControl : public ScriptedRig {
protected:
    // Sends frames 100 ms apart and returns the reads they completed.
    std::vector<CompletedRead> framesApart(Stream& stream, int frames)
    {
        for (int i = 0; i < frames; ++i) {
            stream.queueRead(frameExtent());
            scripted().queue(makeFrame(std::uint16_t(i), kFrameBytes));
            advance(100);
        }
        sendAll();
        std::vector<CompletedRead> reads;
        while (auto read = stream.takeRead())
            reads.push_back(std::move(*read));
        return reads;
    }

    static std::vector<LONGLONG> pictureNumbers(const std::vector<CompletedRead>& reads)
    {
        std::vector<LONGLONG> numbers;
        for (const CompletedRead& read : reads) {
            EXPECT_EQ(read.status, STATUS_SUCCESS);
            auto info = read.frameInfo();
            EXPECT_TRUE(info.has_value());
            numbers.push_back(info ? info->PictureNumber : -1);
        }
        return numbers;
    }

    template <typename Record>
    static std::vector<UCHAR> bytesOf(const Record& record)
    {
        std::vector<UCHAR> bytes(sizeof record);
        std::memcpy(bytes.data(), &record, sizeof record);
        return bytes;
    }
};

TEST_F(StreamControl, WithoutAMasterClockFramesCarryTimeZeroAndNoValidFlags)
{
    auto stream = running();
    const auto reads = framesApart(*stream, 3);
    ASSERT_FALSE(reads.empty());
    for (const CompletedRead& read : reads) {
        EXPECT_EQ(read.header.PresentationTime.Time, 0);
        EXPECT_EQ(read.header.OptionsFlags & kTimeFlags, 0u);
        EXPECT_EQ(read.header.PresentationTime.Numerator, 1u);
        EXPECT_EQ(read.header.PresentationTime.Denominator, 1u);
        EXPECT_EQ(read.header.Duration, kFrameInterval);
    }
}

TEST_F(StreamControl, WithAMasterClockFramesAreStampedAndNumberedByTime)
{
    MasterClock clock;
    auto stream = open(kCaptureStream, captureFormat());
    ASSERT_EQ(stream->setMasterClock(&clock), STATUS_SUCCESS);
    ASSERT_EQ(stream->setState(KSSTATE_PAUSE), STATUS_SUCCESS);
    ASSERT_EQ(stream->setState(KSSTATE_RUN), STATUS_SUCCESS);
    advance(40);

    const auto reads = framesApart(*stream, 4);
    ASSERT_GE(reads.size(), 3u);
    const auto numbers = pictureNumbers(reads);
    EXPECT_EQ(numbers.front(), 1);
    for (std::size_t i = 1; i < numbers.size(); ++i)
        EXPECT_GT(numbers[i], numbers[i - 1]) << i;
    for (const CompletedRead& read : reads) {
        EXPECT_EQ(read.header.OptionsFlags & kTimeFlags, kTimeFlags);
        EXPECT_GT(read.header.PresentationTime.Time, 0);
    }
}

TEST_F(StreamControl, PauseFromRunKeepsFrameNumbersAndPauseFromStopStartsThemAgain)
{
    MasterClock clock;
    auto stream = open(kCaptureStream, captureFormat());
    ASSERT_EQ(stream->setMasterClock(&clock), STATUS_SUCCESS);
    ASSERT_EQ(stream->setState(KSSTATE_PAUSE), STATUS_SUCCESS);
    ASSERT_EQ(stream->setState(KSSTATE_RUN), STATUS_SUCCESS);
    advance(40);
    const auto first = pictureNumbers(framesApart(*stream, 3));
    ASSERT_FALSE(first.empty());

    ASSERT_EQ(stream->setState(KSSTATE_PAUSE), STATUS_SUCCESS);
    ASSERT_EQ(stream->setState(KSSTATE_RUN), STATUS_SUCCESS);
    const auto resumed = pictureNumbers(framesApart(*stream, 3));
    ASSERT_FALSE(resumed.empty());
    EXPECT_GT(resumed.front(), first.back());

    // Stopping gives back the read still waiting for a frame.
    ASSERT_EQ(stream->setState(KSSTATE_STOP), STATUS_SUCCESS);
    auto waiting = stream->takeRead();
    ASSERT_TRUE(waiting);
    EXPECT_EQ(waiting->status, STATUS_CANCELLED);
    ASSERT_EQ(stream->setState(KSSTATE_PAUSE), STATUS_SUCCESS);
    ASSERT_EQ(stream->setState(KSSTATE_RUN), STATUS_SUCCESS);
    advance(40);
    const auto restarted = pictureNumbers(framesApart(*stream, 3));
    ASSERT_FALSE(restarted.empty());
    EXPECT_EQ(restarted.front(), 1);
}

TEST_F(StreamControl, ReadsFailOrFinishAtOnceWhenTheyCannotWait)
{
    auto stream = open(kCaptureStream, captureFormat());
    // Stopped: a read completes with nothing in it.
    stream->queueRead(frameExtent());
    settle();
    auto read = stream->takeRead();
    ASSERT_TRUE(read);
    EXPECT_EQ(read->status, STATUS_SUCCESS);
    EXPECT_EQ(read->header.DataUsed, 0u);

    ASSERT_EQ(stream->setState(KSSTATE_PAUSE), STATUS_SUCCESS);
    ASSERT_EQ(stream->setState(KSSTATE_RUN), STATUS_SUCCESS);
    // A buffer smaller than one image.
    stream->queueRead(frameExtent() - 1);
    settle();
    read = stream->takeRead();
    ASSERT_TRUE(read);
    EXPECT_EQ(read->status, STATUS_INSUFFICIENT_RESOURCES);
    EXPECT_EQ(stream->pendingReads(), 0u);
}

TEST_F(StreamControl, TheStateReadsBackAndAPausedStreamSaysItHasNoData)
{
    auto stream = open(kCaptureStream, captureFormat());
    KSSTATE state = KSSTATE_RUN;
    EXPECT_EQ(stream->getState(state), STATUS_SUCCESS);
    EXPECT_EQ(state, KSSTATE_STOP);
    ASSERT_EQ(stream->setState(KSSTATE_ACQUIRE), STATUS_SUCCESS);
    ASSERT_EQ(stream->setState(KSSTATE_PAUSE), STATUS_SUCCESS);
    EXPECT_EQ(stream->getState(state), STATUS_NO_DATA_DETECTED);
    EXPECT_EQ(state, KSSTATE_PAUSE);
    ASSERT_EQ(stream->setState(KSSTATE_RUN), STATUS_SUCCESS);
    EXPECT_EQ(stream->getState(state), STATUS_SUCCESS);
    EXPECT_EQ(state, KSSTATE_RUN);
}

TEST_F(StreamControl, AllocatorFramingAndDroppedFramesDescribeTheOpenFormat)
{
    auto stream = running();
    KSPROPERTY framingProperty{};
    framingProperty.Set = KSPROPSETID_Connection;
    framingProperty.Id = KSPROPERTY_CONNECTION_ALLOCATORFRAMING;
    std::vector<UCHAR> framingBytes(sizeof(KSALLOCATOR_FRAMING));
    ULONG returned = 0;
    ASSERT_EQ(stream->getProperty(bytesOf(framingProperty), framingBytes, returned), STATUS_SUCCESS);
    EXPECT_EQ(returned, 24u);
    KSALLOCATOR_FRAMING framing;
    std::memcpy(&framing, framingBytes.data(), sizeof framing);
    EXPECT_EQ(framing.RequirementsFlags, 0x80000003u);
    EXPECT_EQ(framing.PoolType, ULONG(PagedPool));
    EXPECT_EQ(framing.Frames, 4u);
    EXPECT_EQ(framing.FrameSize, frameExtent());

    framesApart(*stream, 3);
    KSPROPERTY_DROPPEDFRAMES_CURRENT_S dropped{};
    dropped.Property.Set = PROPSETID_VIDCAP_DROPPEDFRAMES;
    dropped.Property.Id = KSPROPERTY_DROPPEDFRAMES_CURRENT;
    std::vector<UCHAR> droppedBytes(sizeof dropped);
    ASSERT_EQ(stream->getProperty(bytesOf(dropped), droppedBytes, returned), STATUS_SUCCESS);
    EXPECT_EQ(returned, 48u);
    std::memcpy(&dropped, droppedBytes.data(), sizeof dropped);
    EXPECT_EQ(dropped.AverageFrameSize, frameExtent());
    EXPECT_GE(dropped.PictureNumber, 0);
    EXPECT_GE(dropped.DropCount, 0);
}

TEST_F(StreamControl, OnlyOneStreamIsOpenAtATime)
{
    auto capture = running();
    ASSERT_TRUE(capture);
    auto refused = open(kStillStream, formatFor(kStillStream, 0), NTSTATUS(0xC0000000));
    EXPECT_FALSE(refused);

    // The refused open left the running capture alone: a damaged frame is
    // dropped as video, not taken as a broken still download that would
    // drop every frame after it.
    capture->queueRead(frameExtent());
    capture->queueRead(frameExtent());
    scripted().queue(makeFrame(1, kFrameBytes));
    ScriptedFrame miscounted = makeFrame(2, kFrameBytes);
    miscounted.bytes[kFrameBytes - 2] -= 1;
    scripted().queue(miscounted);
    scripted().queue(makeFrame(3, kFrameBytes));
    sendAll();
    auto read = capture->takeRead();
    ASSERT_TRUE(read);
    EXPECT_EQ(markerOf(*read), 1);
    read = capture->takeRead();
    ASSERT_TRUE(read);
    EXPECT_EQ(markerOf(*read), 3);

    ASSERT_EQ(capture->close(), STATUS_SUCCESS);
    auto still = open(kStillStream, formatFor(kStillStream, 0));
    EXPECT_TRUE(still);
}

TEST_F(StreamControl, PowerStatesOtherThanTheFourAreRefused)
{
    EXPECT_EQ(host().changePowerState(PowerDeviceD3), STATUS_SUCCESS);
    EXPECT_EQ(host().changePowerState(PowerDeviceD0), STATUS_SUCCESS);
    EXPECT_EQ(host().changePowerState(PowerDeviceD2), STATUS_SUCCESS);
    EXPECT_EQ(host().changePowerState(PowerDeviceMaximum), STATUS_INVALID_PARAMETER);
    EXPECT_EQ(host().changePowerState(PowerDeviceD0), STATUS_SUCCESS);
}

}  // namespace
}  // namespace qm::morvax::test
