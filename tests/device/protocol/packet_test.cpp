#include <gtest/gtest.h>

#include "device/protocol/camera_records.h"
#include "device/protocol/packet.h"
#include "device/protocol/year_codes.h"
#include "tests/device/protocol/scripted_transport.h"

namespace qm::device {
namespace {

using test::Bytes;

TEST(Packet, ChecksumIsTheByteSumOfCodeAndData)
{
    const Bytes abc{0x61, 0x62, 0x63};
    EXPECT_EQ(checksum(abc), 0x26);
    EXPECT_EQ(checksum({}), 0);
}

TEST(Packet, RequestsCarryTheirLengthHighByteFirst)
{
    std::array<std::uint8_t, 16> out{};
    const Bytes parameters{0x02, 0x01};
    ASSERT_EQ(frameRequest(0x05, parameters, out), 7u);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + 7), (Bytes{0x40, 0x00, 0x04, 0x05, 0x02, 0x01, 0x08}));

    std::array<std::uint8_t, 1100> big{};
    const Bytes block(1026, 0x01);
    ASSERT_EQ(frameRequest(0x08, block, big), 1031u);
    EXPECT_EQ(big[1], 0x04);  // 1028 = 0x0404, high byte first
    EXPECT_EQ(big[2], 0x04);

    std::array<std::uint8_t, 6> tooSmall{};
    EXPECT_EQ(frameRequest(0x05, parameters, tooSmall), 0u);
}

TEST(Packet, RepliesAreCheckedByStartCodeLengthAndChecksum)
{
    const Bytes status{0x40, 0x03, 0x00, 0x81, 0x01, 0x82};
    EXPECT_TRUE(replyIsValid(status, 0x01, 3));
    EXPECT_FALSE(replyIsValid(status, 0x02, 3));  // reply code of another command
    EXPECT_FALSE(replyIsValid(status, 0x01, 4));  // length not the expected one

    Bytes badSum = status;
    badSum[5] = 0x83;
    EXPECT_FALSE(replyIsValid(badSum, 0x01, 3));
    Bytes badStart = status;
    badStart[0] = 0x41;
    EXPECT_FALSE(replyIsValid(badStart, 0x01));

    // A length that puts the checksum beyond the bytes received.
    Bytes longer = status;
    longer[1] = 0x04;
    EXPECT_FALSE(replyIsValid(longer, 0x01));
    EXPECT_FALSE(replyIsValid(Bytes{0x40, 0x01, 0x00, 0x81}, 0x01));
    EXPECT_FALSE(replyIsValid(Bytes{0x40, 0x03}, 0x01));

    // Reply lengths run low byte first.
    const Bytes large = test::cameraReply(0x07, Bytes(300, 0x11));
    EXPECT_EQ(replyLength(large), 302u);
    EXPECT_TRUE(replyIsValid(large, 0x07));
}

TEST(CameraRecords, FieldsAreReadByOffsetLittleEndian)
{
    CameraInfo info;
    info.bytes[1] = 22;
    const char firmware[] = "V3.26";
    std::copy(firmware, firmware + 5, info.bytes.begin() + 8);
    info.bytes[16] = 0x34;
    info.bytes[17] = 0x12;
    info.bytes[28] = 2;
    info.bytes[36] = 0x00;
    info.bytes[37] = 0x00;
    info.bytes[38] = 0x40;
    EXPECT_EQ(info.modelCode(), 22);
    EXPECT_TRUE(info.hasFirmwareText());
    EXPECT_EQ(info.firmwareVersionNumber(), 326);
    EXPECT_EQ(info.picturesStored(), 0x1234);
    EXPECT_EQ(info.pictureCountValue(), 2u * 256 + 0x1234);
    EXPECT_EQ(info.memoryBytes(), 0x400000u);
    EXPECT_EQ(info.u32At(62), 0u);  // reads never leave the block
    EXPECT_EQ(info.u32At(61), 0u);

    PictureInfo picture;
    EXPECT_FALSE(picture.assign(Bytes(63, 1)));  // too short: unchanged
    EXPECT_EQ(picture.pictureSize(), 0u);
    Bytes raw(64, 0);
    raw[4] = 0x00;
    raw[5] = 0x90;
    raw[6] = 0x01;
    raw[22] = 3;
    ASSERT_TRUE(picture.assign(raw));
    EXPECT_EQ(picture.pictureSize(), 0x19000u);
    EXPECT_EQ(picture.resolutionCode(), 3);
}

TEST(YearCodes, DependOnTheModel)
{
    EXPECT_EQ(yearCodeFor(16, 2001), 101);
    EXPECT_EQ(yearCodeFor(17, 1999), 99);
    EXPECT_EQ(yearCodeFor(22, 1999), 59);
    EXPECT_EQ(yearCodeFor(22, 2001), 1);
    EXPECT_EQ(yearCodeFor(32, 2005), 5);
    EXPECT_EQ(yearCodeFor(18, 2001), 21);
    EXPECT_EQ(yearCodeFor(20, 1999), 19);

    EXPECT_EQ(yearFromCode(16, 101), 2001);
    EXPECT_EQ(yearFromCode(18, 21), 2001);
    EXPECT_EQ(yearFromCode(20, 21), 2001);
    EXPECT_EQ(yearFromCode(22, 1), 2001);
    // Only the date query reads code 59 of models 22 and 32 as 1999.
    EXPECT_EQ(yearFromCode(32, 59, YearReading::DateQuery), 1999);
    EXPECT_EQ(yearFromCode(32, 59), 2059);
    EXPECT_EQ(yearFromCode(18, 59, YearReading::DateQuery), 2039);
}

}  // namespace
}  // namespace qm::device
