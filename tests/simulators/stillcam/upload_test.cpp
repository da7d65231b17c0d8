// Uploads: model 16 only, blocks in order, a picture that must decode.
#include <gtest/gtest.h>

#if defined(__SANITIZE_ADDRESS__)
#include <cstddef>
// The sanitizer's allocator counts what it handed out.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

#include "simulators/stillcam/core/upload_receiver.h"
#include "tests/simulators/stillcam/camera_fixture.h"
#include "tests/simulators/stillcam/jpeg_check.h"
#include "tests/simulators/stillcam/upload_requests.h"

namespace qm::stillcam::test {
namespace {

// Bytes the process's allocator has handed out and not yet taken back.
std::size_t heapInUse()
{
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#endif
}

TEST(StillCameraUpload, ReceivedJpegBecomesANewPictureWithItsOwnThumbnail)
{
    auto camera = makeCamera(testConfig(16, 2));
    Bytes raw(9600);
    for (std::size_t i = 0; i < raw.size(); ++i)
        raw[i] = std::uint8_t(i * 7);
    const Bytes jpeg = withRawThumbnail(solidJpeg(640, 480, 200, 40, 40), raw);
    ASSERT_GT(jpeg.size(), 10 * 1024u);

    EXPECT_EQ(camera->exchange(beginUploadRequest(std::uint32_t(jpeg.size()))),
              (Bytes{0x40, 0x03, 0x00, 0x8B, 0x01, 0x8C}));
    const auto blocks = writeBlockRequests(jpeg);
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const Bytes reply = camera->exchange(blocks[i]);
        const std::uint8_t number = std::uint8_t(i + 1);
        EXPECT_EQ(reply, (Bytes{0x40, 0x04, 0x00, 0x88, 0x01, number, std::uint8_t(0x89 + number)})) << i;
    }
    ASSERT_EQ(camera->pictureCount(), 3u);
    EXPECT_EQ(camera->pictureData(3), jpeg);
    EXPECT_EQ(camera->thumbnailData(3), raw);
    EXPECT_TRUE(camera->pictures()[2].uploaded);
    const Bytes rgb = decodeRgb(camera->pictureData(3));
    ASSERT_EQ(rgb.size(), 640u * 480 * 3);
    EXPECT_NEAR(rgb[0], 200, 4);
}

// The size comes from the host; the camera keeps only what actually arrives.
TEST(StillCameraUpload, AnAnnouncedSizeReservesNothing)
{
    StillCameraConfig config = testConfig(16, 2);
    config.memoryBytes = 0xFFFFFFFF;  // room for whatever the host announces
    auto camera = makeCamera(config);
    const std::size_t before = heapInUse();
    EXPECT_EQ(camera->exchange(beginUploadRequest(0xF0000000)), (Bytes{0x40, 0x03, 0x00, 0x8B, 0x01, 0x8C}));
    ASSERT_FALSE(camera->exchange(writeBlockRequests(Bytes(3 * 1024, 9)).front()).empty());
    EXPECT_LT(heapInUse(), before + (16u << 20));
}

TEST(StillCameraUpload, BlocksMustComeFullThenOneLastBlock)
{
    UploadReceiver receiver;
    const Bytes full(1024, 1);
    receiver.begin(1024);
    EXPECT_EQ(receiver.write(1, 2, full), UploadReceiver::Result::Completed);
    EXPECT_EQ(receiver.take(), full);

    receiver.begin(1025);
    EXPECT_EQ(receiver.write(1, 1, full), UploadReceiver::Result::Accepted);
    EXPECT_EQ(receiver.write(2, 2, Bytes{7}), UploadReceiver::Result::Completed);
    EXPECT_EQ(receiver.take().size(), 1025u);

    receiver.begin(5000);
    EXPECT_EQ(receiver.write(1, 1, Bytes(1000, 1)), UploadReceiver::Result::Refused);  // flag 1 is a full block
    EXPECT_FALSE(receiver.active());
    receiver.begin(2048);
    EXPECT_EQ(receiver.write(1, 2, full), UploadReceiver::Result::Refused);  // ends short
    receiver.begin(1024);
    EXPECT_EQ(receiver.write(1, 3, full), UploadReceiver::Result::Refused);  // no such flag

    // Block numbers are 8 bits and wrap.
    receiver.begin(257 * 1024);
    for (unsigned k = 1; k <= 256; ++k)
        ASSERT_EQ(receiver.write(std::uint8_t(k), 1, full), UploadReceiver::Result::Accepted) << k;
    EXPECT_EQ(receiver.write(1, 2, full), UploadReceiver::Result::Completed);
}

TEST(StillCameraUpload, OnlyModel16TakesUploads)
{
    for (std::uint8_t model : {17, 18, 20, 22, 32}) {
        auto camera = makeCamera(testConfig(model, 0));
        EXPECT_EQ(parseReply(camera->exchange(beginUploadRequest(5000))).data, Bytes{0}) << int(model);
        EXPECT_EQ(parseReply(camera->exchange(writeBlockRequests(Bytes(100, 1))[0])).data, (Bytes{0, 1}));
        EXPECT_EQ(camera->pictureCount(), 0u);
    }
}

TEST(StillCameraUpload, BrokenUploadsAreRefusedAndLeaveNoPicture)
{
    auto camera = makeCamera(testConfig(16, 0));
    const auto blocks = writeBlockRequests(Bytes(3000, 0x55));

    // A block without a begun upload, and a block out of order.
    EXPECT_EQ(parseReply(camera->exchange(blocks[0])).data, (Bytes{0, 1}));
    ASSERT_EQ(parseReply(camera->exchange(beginUploadRequest(3000))).data, Bytes{1});
    EXPECT_EQ(parseReply(camera->exchange(blocks[1])).data, (Bytes{0, 2}));
    // Less data than announced.
    ASSERT_EQ(parseReply(camera->exchange(beginUploadRequest(3001))).data, Bytes{1});
    for (std::size_t i = 0; i + 1 < blocks.size(); ++i)
        ASSERT_EQ(parseReply(camera->exchange(blocks[i])).data[0], 1);
    EXPECT_EQ(parseReply(camera->exchange(blocks.back())).data[0], 0);
    // All data there, but no picture in it.
    ASSERT_EQ(parseReply(camera->exchange(beginUploadRequest(3000))).data, Bytes{1});
    for (std::size_t i = 0; i + 1 < blocks.size(); ++i)
        ASSERT_EQ(parseReply(camera->exchange(blocks[i])).data[0], 1);
    EXPECT_EQ(parseReply(camera->exchange(blocks.back())).data[0], 0);
    // A picture of the wrong size.
    const Bytes small = solidJpeg(320, 240, 1, 2, 3);
    ASSERT_EQ(parseReply(camera->exchange(beginUploadRequest(std::uint32_t(small.size())))).data, Bytes{1});
    for (const Bytes& block : writeBlockRequests(small))
        camera->exchange(block);
    // More than the memory holds, and a begin request with wrong fixed bytes.
    EXPECT_EQ(parseReply(camera->exchange(beginUploadRequest(64u << 20))).data, Bytes{0});
    Bytes odd = beginUploadRequest(100);
    odd[4] = 2;
    odd.back() = std::uint8_t(odd.back() + 1);
    EXPECT_EQ(parseReply(camera->exchange(odd)).data, Bytes{0});
    EXPECT_EQ(camera->pictureCount(), 0u);
}

}  // namespace
}  // namespace qm::stillcam::test
