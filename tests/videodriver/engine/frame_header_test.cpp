// The engine's fix-up of a received frame's header and trailer.
#include "videodriver/engine/frame_header.h"

#include <gtest/gtest.h>

#include <vector>

namespace qm::morvax {
namespace {

std::vector<UCHAR> frameOf(ULONG length, bool appSegment = false)
{
    std::vector<UCHAR> raw(length);
    for (ULONG i = 0; i < length; ++i)
        raw[i] = UCHAR(i);
    if (appSegment) {
        raw[0] = 0xFF;
        raw[1] = 0xE1;
    }
    return raw;
}

ULONG lengthField(const UCHAR* header) { return header[1] | header[2] << 8 | header[3] << 16; }

TEST(FrameHeader, MovesTheDisplacedBytesBackAndWritesTheLength)
{
    auto raw = frameOf(402);
    const UCHAR quality = raw[0], displacedLast = raw[1], displacedBefore = raw[2];
    ASSERT_TRUE(fixUpFrameHeader(raw.data(), 402, 402));
    EXPECT_EQ(raw[0], quality);
    EXPECT_EQ(lengthField(raw.data()), 402u);
    EXPECT_EQ(raw[400], displacedBefore);
    EXPECT_EQ(raw[401], displacedLast);
}

TEST(FrameHeader, AStoredPictureKeepsItsHeaderBehindTheSegment)
{
    auto raw = frameOf(2002, true);
    const UCHAR displacedLast = raw[513], displacedBefore = raw[514];
    ASSERT_TRUE(fixUpFrameHeader(raw.data(), 2002, 2002));
    EXPECT_EQ(raw[0], 0xFF);
    EXPECT_EQ(raw[1], 0xE1);
    EXPECT_EQ(lengthField(raw.data() + 512), 2002u);
    EXPECT_EQ(raw[2000], displacedBefore);
    EXPECT_EQ(raw[2001], displacedLast);
}

TEST(FrameHeader, RefusesLengthsThatDoNotMatchWhatArrived)
{
    auto raw = frameOf(402);
    const auto before = raw;
    EXPECT_FALSE(fixUpFrameHeader(raw.data(), 402, 406));  // would write past the bytes received
    EXPECT_FALSE(fixUpFrameHeader(raw.data(), 402, 398));
    EXPECT_FALSE(fixUpFrameHeader(raw.data(), 4, 4));      // no room for a trailer behind the header
    EXPECT_EQ(raw, before);
}

TEST(FrameHeader, AShortFrameStartingLikeASegmentIsTakenAsItStands)
{
    auto raw = frameOf(302, true);
    ASSERT_TRUE(fixUpFrameHeader(raw.data(), 302, 302));
    EXPECT_EQ(lengthField(raw.data()), 302u);
}

}  // namespace
}  // namespace qm::morvax
