// Per-packet frame tracking: end marks, trailer counts, bad packets, the
// still download and the snapshot button.
#include <gtest/gtest.h>

#include <vector>

#include "platform/system/byte_order.h"
#include "videodriver/camera/morvax_callbacks.h"

namespace qm::morvax {
namespace {

struct FrameEnd {
    BOOLEAN complete = FALSE;
    ULONG length = 0;
};

class UsbPacket : public ::testing::Test {
protected:
    void SetUp() override { morvaxSetDefaults(&camera_); }

    // One 1 ms frame: `length` data bytes (the last two a trailer with
    // count n when `n` is given) and a sync byte.
    FrameEnd packet(ULONG length, UCHAR sync = 0, int trailer = -1, bool dataError = false, bool syncError = false)
    {
        std::vector<UCHAR> data(length, 0x5A);
        if (trailer >= 0 && length >= 2)
            sys::writeLe16(&data[length - 2], USHORT(trailer));
        USBD_ISO_PACKET_DESCRIPTOR dataPacket{0, length, dataError ? usbd::USBD_STATUS_CRC : USBD_STATUS_SUCCESS};
        USBD_ISO_PACKET_DESCRIPTOR syncPacket{0, 1, syncError ? usbd::USBD_STATUS_CRC : USBD_STATUS_SUCCESS};
        FrameEnd end;
        const ULONG count = MORVAX_ProcessUSBPacket(nullptr, &camera_, &frame_, &syncPacket, &sync, &dataPacket,
                                                    data.data(), &end.complete, &end.length);
        EXPECT_EQ(count, length);
        return end;
    }

    // A frame of `bytes` bytes in packets of up to 300, ending with a
    // trailer of count n; returns what the next packet reports.
    FrameEnd frame(ULONG bytes, int n)
    {
        ULONG left = bytes;
        while (left > 300) {
            EXPECT_FALSE(packet(300).complete);
            left -= 300;
        }
        EXPECT_FALSE(packet(left, 0x01, n).complete);
        return packet(0);
    }

    MorvaxContext camera_{};
    MorvaxFrameContext frame_{};
};

TEST_F(UsbPacket, AFrameIsCompleteOnThePacketAfterItsLastWithTheCountItAnnounced)
{
    const FrameEnd end = frame(402, 100);
    EXPECT_TRUE(end.complete);
    EXPECT_EQ(end.length, 402u);
    EXPECT_EQ(frame_.FrameValid, 1u);
    EXPECT_EQ(camera_.GoodFrames, 1u);
}

TEST_F(UsbPacket, AVideoFrameWhoseCountDoesNotMatchIsReportedWithLengthZero)
{
    EXPECT_EQ(frame(398, 100).length, 0u);
    EXPECT_EQ(frame(406, 100).length, 0u);
    EXPECT_EQ(camera_.GoodFrames, 0u);
    // The next frame is judged on its own.
    EXPECT_EQ(frame(402, 100).length, 402u);
}

TEST_F(UsbPacket, BadPacketsMarkTheirFrameInvalidAndOnlyThatFrame)
{
    packet(300, 0, -1, true);
    EXPECT_FALSE(packet(102, 0x01, 100).complete);
    const FrameEnd end = packet(0);
    EXPECT_EQ(end.length, 402u);  // the count still matches
    EXPECT_EQ(frame_.FrameValid, 0u);
    frame(402, 100);
    EXPECT_EQ(frame_.FrameValid, 1u);
}

TEST_F(UsbPacket, ASyncPacketInErrorCountsAsNoMarkAndAsABadPacket)
{
    packet(300);
    EXPECT_FALSE(packet(102, 0x01, 100, false, true).complete);
    // No end was seen: the next packets still belong to the same frame.
    EXPECT_FALSE(packet(100).complete);
    EXPECT_FALSE(packet(100, 0x01, 150).complete);
    const FrameEnd end = packet(0);
    EXPECT_TRUE(end.complete);
    EXPECT_EQ(end.length, 602u);
    EXPECT_EQ(frame_.FrameValid, 0u);
}

TEST_F(UsbPacket, TheSnapshotButtonIsNoted)
{
    packet(10, 0x08);
    EXPECT_EQ(camera_.HardwareSnapshot, 1);
}

TEST_F(UsbPacket, OneBrokenStillPictureEndsTheDownload)
{
    camera_.StillMode = 1;
    EXPECT_EQ(frame(1002, 250).length, 1002u);
    // Too short to be a picture.
    EXPECT_EQ(frame(502, 125).length, 0u);
    EXPECT_EQ(camera_.StillDownloadFailed, 1);
    // Every later picture of this download is dropped, even a good one.
    EXPECT_EQ(frame(1002, 250).length, 0u);
    EXPECT_EQ(camera_.GoodFrames, 1u);
}

TEST_F(UsbPacket, AStillPictureWithBadPacketsFailsTheDownload)
{
    camera_.StillMode = 1;
    packet(600, 0, -1, true);
    packet(402, 0x01, 250);
    EXPECT_EQ(packet(0).length, 0u);
    EXPECT_EQ(camera_.StillDownloadFailed, 1);
}

}  // namespace
}  // namespace qm::morvax
