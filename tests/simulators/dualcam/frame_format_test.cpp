// The frame layout and the tables the host must reproduce.
#include "simulators/dualcam/frame_format.h"
#include "simulators/dualcam/jpeg_tables.h"
#include "simulators/dualcam/packet_stream.h"
#include "tests/simulators/dualcam/jpeg_header.h"

#include "platform/system/byte_order.h"

#include <gtest/gtest.h>

namespace qm::dualcam {
namespace {

TEST(DualCamQuantTables, ScaleByQualityLikeTheHost)
{
    EXPECT_EQ(scaleQuantTable(kLuminanceBase, 64), kLuminanceBase);
    EXPECT_EQ(scaleQuantTable(kChrominanceBase, 64), kChrominanceBase);
    const auto coarse = scaleQuantTable(kLuminanceBase, 1);
    for (std::size_t i = 0; i < 64; ++i)
        EXPECT_EQ(coarse[i], kLuminanceBase[i] >= 96 ? 2 : 1) << i;
    const auto fine = scaleQuantTable(kLuminanceBase, 127);
    for (std::size_t i = 0; i < 64; ++i) {
        EXPECT_EQ(fine[i], (kLuminanceBase[i] * 127 + 32) / 64) << i;
        EXPECT_LE(fine[i], 240);
    }
    // The first row of K.1 in natural order.
    const std::uint8_t firstRow[8] = {16, 11, 10, 16, 24, 40, 51, 61};
    for (std::size_t k = 0; k < 64; ++k)
        if (kZigzagToNatural[k] < 8) {
            EXPECT_EQ(kLuminanceBase[k], firstRow[kZigzagToNatural[k]]);
        }
}

TEST(DualCamQuantTables, SamplingFollowsTheWidth)
{
    EXPECT_EQ(videoSampling(160), Sampling::H2V1);
    EXPECT_EQ(videoSampling(176), Sampling::H2V1);
    EXPECT_EQ(videoSampling(320), Sampling::H4V1);
    EXPECT_EQ(videoSampling(640), Sampling::H4V1);
}

std::vector<std::uint8_t> scanOf(std::size_t size)
{
    std::vector<std::uint8_t> scan(size, 0x5A);
    scan[size - 2] = 0xFF;
    scan[size - 1] = 0xD9;
    return scan;
}

TEST(DualCamFrameLayout, EveryFrameCountsFourNPlusTwoAndTheFixUpRestoresThePayload)
{
    for (std::size_t size = 2; size < 12; ++size) {
        const auto scan = scanOf(size);
        const auto frame = buildFrame({42, scan, std::nullopt, {}});
        ASSERT_TRUE(frame);
        EXPECT_EQ(frame->size() % 4, 2u);
        EXPECT_EQ((*frame)[0], 42);
        EXPECT_EQ(4u * sys::readLe16(&(*frame)[frame->size() - 2]) + 2, frame->size());

        auto raw = *frame;
        test::fixUpFrame(raw);
        // Scan data (fill bytes before EOI) from offset 4, ending in FF D9 at L - 1.
        const std::size_t length = frame->size();
        EXPECT_EQ(raw[1] | (raw[2] << 8) | (raw[3] << 16), int(length));
        EXPECT_EQ(raw[length - 2], 0xFF);
        EXPECT_EQ(raw[length - 1], 0xD9);
        EXPECT_TRUE(std::equal(scan.begin(), scan.end() - 2, raw.begin() + 4));
        for (std::size_t i = 4 + size - 2; i < length - 2; ++i)
            EXPECT_EQ(raw[i], 0xFF) << "fill byte " << i;
    }
}

TEST(DualCamFrameLayout, StoredPicturesCarryTheirIndexWhereTheTrailerWas)
{
    const auto scan = scanOf(37);
    auto frame = buildFrame({48, scan, std::uint16_t(0x0123), {}});
    ASSERT_TRUE(frame);
    auto raw = *frame;
    test::fixUpFrame(raw);
    const std::size_t length = frame->size();
    EXPECT_EQ(sys::readLe16(&raw[length - 2]), 0x0123);
    EXPECT_EQ(raw[length - 4], 0xFF);
    EXPECT_EQ(raw[length - 3], 0xD9);
}

TEST(DualCamFrameLayout, SegmentGoesFirstAndCountsInTheLength)
{
    std::vector<std::uint8_t> segment(kAppSegmentSize, 0);
    segment[0] = 0xFF;
    segment[1] = 0xE1;
    const auto scan = scanOf(100);
    auto frame = buildFrame({30, scan, std::uint16_t(5), segment});
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->size() % 4, 2u);
    EXPECT_EQ((*frame)[kAppSegmentSize], 30);
    auto raw = *frame;
    test::fixUpFrame(raw);
    const std::size_t h = kAppSegmentSize;
    EXPECT_EQ(std::size_t(raw[h + 1] | (raw[h + 2] << 8) | (raw[h + 3] << 16)), frame->size());
    EXPECT_EQ(sys::readLe16(&raw[frame->size() - 2]), 5);
}

TEST(DualCamFrameLayout, RefusesWhatCannotBeSent)
{
    std::vector<std::uint8_t> noEoi(10, 1);
    EXPECT_FALSE(buildFrame({1, noEoi, std::nullopt, {}}));
    const auto scan = scanOf(10);
    std::vector<std::uint8_t> shortSegment(100, 0);
    EXPECT_FALSE(buildFrame({1, scan, std::nullopt, shortSegment}));
    const auto huge = scanOf(kMaxFrameBytes);
    EXPECT_FALSE(buildFrame({1, huge, std::nullopt, {}}));
}

TEST(DualCamPacketStream, CutsFramesIntoPacketsWithoutSplittingTheTrailer)
{
    PacketStream stream;
    stream.begin(std::vector<std::uint8_t>(21, 7));
    std::vector<std::size_t> sizes;
    bool last = false;
    while (stream.active()) {
        const auto chunk = stream.next(10);
        sizes.push_back(chunk.bytes.size());
        last = chunk.last;
    }
    EXPECT_EQ(sizes, (std::vector<std::size_t>{10, 9, 2}));
    EXPECT_TRUE(last);
    EXPECT_TRUE(stream.next(10).bytes.empty());

    stream.begin(std::vector<std::uint8_t>(20, 7));
    EXPECT_FALSE(stream.next(10).last);
    EXPECT_TRUE(stream.next(10).last);
}

}  // namespace
}  // namespace qm::dualcam
