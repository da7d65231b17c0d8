// Frames from the dual-mode camera's compressor through the driver's header
// and decoder: every video size, the MJPG output as other readers see it,
// stored pictures with the camera's FF E1 segment, the merged 4:1:1 path,
// two-field pictures and data without Huffman tables.
#include "videodriver/jpeg/jpeg_decoder.h"
#include "videodriver/jpeg/jpeg_header.h"
#include "tests/videodriver/jpeg/camera_frames.h"
#include "tests/videodriver/jpeg/yuv411_reference.h"

#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <vector>

#include "platform/system/byte_order.h"
#include "simulators/dualcam/picture_store.h"

namespace qm::morvax {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::cameraFrame;
using test::decodeFrame;
using test::frameJpeg;

std::size_t bitmapBytes(int width, int height) { return std::size_t(width) * std::size_t(height) * 3; }

// The library decoding a JPEG alone, strictly, bottom-up BGR with the fast
// IDCT: what the driver's decoder must match.
Bytes turboDecode(const Bytes& jpeg, int width, int height)
{
    Bytes out(bitmapBytes(width, height));
    tjhandle handle = tjInitDecompress();
    const int result = tjDecompress2(handle, jpeg.data(), jpeg.size(), out.data(), width, 0, height, TJPF_BGR,
                                     TJFLAG_BOTTOMUP | TJFLAG_FASTDCT | TJFLAG_STOPONWARNING);
    const std::string error = tjGetErrorStr2(handle);
    tjDestroy(handle);
    EXPECT_EQ(result, 0) << error;
    return out;
}

struct VideoSize {
    int width, height;
};

class EveryVideoSize : public ::testing::TestWithParam<VideoSize> {};

TEST_P(EveryVideoSize, CameraFramesDecodeToTheSceneThroughTheDriversHeader)
{
    const auto [width, height] = GetParam();
    const auto frame = cameraFrame(width, height, 64);
    ASSERT_FALSE(frame.scan.empty());
    const auto decoded = decodeFrame(frameJpeg(frame), bitmapBytes(width, height));
    ASSERT_TRUE(decoded.ok);
    EXPECT_EQ(decoded.width, std::uint32_t(width));
    EXPECT_EQ(decoded.height, std::uint32_t(height));
    EXPECT_GT(test::psnr(decoded.bgr, frame.sceneRgb, width, height), 27.0);
}

TEST_P(EveryVideoSize, MjpgOutputIsAJpegTheLibraryDecodesAsItStands)
{
    const auto [width, height] = GetParam();
    const auto frame = cameraFrame(width, height, 48);
    Bytes mjpg = frameJpeg(frame);
    setJpegHeaderQuality(mjpg, 48);
    const Bytes reference = turboDecode(mjpg, width, height);
    const auto decoded = decodeFrame(mjpg, bitmapBytes(width, height));
    ASSERT_TRUE(decoded.ok);
    EXPECT_EQ(decoded.bgr, reference);
}

INSTANTIATE_TEST_SUITE_P(FrameDecode, EveryVideoSize,
                         ::testing::Values(VideoSize{160, 120}, VideoSize{176, 144}, VideoSize{320, 240},
                                           VideoSize{352, 288}, VideoSize{640, 480}),
                         [](const auto& info) {
                             return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
                         });

TEST(FrameDecode, TheCamerasFillBytesBeforeTheEndOfImageAreNoError)
{
    const auto frame = cameraFrame(320, 240, 64);
    Bytes jpeg = frameJpeg(frame);
    const Bytes plain = decodeFrame(jpeg, bitmapBytes(320, 240)).bgr;
    // The camera pads its scan with FF bytes in front of FF D9, and a still
    // picture's table index follows the marker.
    jpeg.insert(jpeg.end() - 2, {0xFF, 0xFF, 0xFF});
    jpeg.insert(jpeg.end(), {0x07, 0x00});
    const auto padded = decodeFrame(jpeg, bitmapBytes(320, 240));
    ASSERT_TRUE(padded.ok);
    EXPECT_EQ(padded.bgr, plain);
}

TEST(FrameDecode, StillPictureWithTheCamerasSegmentBetweenTablesAndScan)
{
    const auto frame = cameraFrame(640, 480, 48, true);
    ASSERT_FALSE(frame.scan.empty());
    Bytes segment = dualcam::PictureStore::appSegment(48);
    ASSERT_EQ(segment.size(), 512u);
    // The camera leaves the length blank; the driver restores FF E1 01 FE.
    segment[2] = 0x01;
    segment[3] = 0xFE;

    Bytes header(kJpegTemplateSize);
    ASSERT_TRUE(generateJpegHeaderTemplate(header));
    const auto dataLength = std::uint32_t(segment.size() + frame.scan.size());
    ASSERT_TRUE(ModifyJPEGHeader(header, 480, 640, 48, dataLength, kSampling2x1));
    setJpegHeaderQuality(header, 48);
    setJpegHeaderPicture(header, 3, 2);
    Bytes still(header.begin(), header.begin() + kScanHeaderOffset);
    still.insert(still.end(), segment.begin(), segment.end());
    still.insert(still.end(), header.begin() + kScanHeaderOffset, header.end());
    still.insert(still.end(), frame.scan.begin(), frame.scan.end());
    ASSERT_EQ(still.size(), dataLength + kJpegTemplateSize);
    ASSERT_EQ(sys::readBe32(&still[kAvi1FieldSizeOffset]), still.size());

    const Bytes reference = turboDecode(still, 640, 480);
    const auto decoded = decodeFrame(still, bitmapBytes(640, 480));
    ASSERT_TRUE(decoded.ok);
    EXPECT_EQ(decoded.bgr, reference);
    EXPECT_GT(test::psnr(decoded.bgr, frame.sceneRgb, 640, 480), 27.0);
}

TEST(FrameDecode, WithoutFancyUpsamplingFourToOneFramesTakeTheMergedConversion)
{
    const auto frame = cameraFrame(352, 288, 64);
    const Bytes jpeg = frameJpeg(frame);
    const auto decoded = decodeFrame(jpeg, bitmapBytes(352, 288), false);
    ASSERT_TRUE(decoded.ok);

    // The library's own Y, Cb and Cr planes of the same frame, converted
    // row by row with the reference.
    const int chromaWidth = tjPlaneWidth(1, 352, TJSAMP_411);
    Bytes y(352 * 288), cb(std::size_t(chromaWidth) * 288), cr(cb.size());
    unsigned char* planes[3] = {y.data(), cb.data(), cr.data()};
    int strides[3] = {352, chromaWidth, chromaWidth};
    tjhandle handle = tjInitDecompress();
    ASSERT_EQ(tjDecompressToYUVPlanes(handle, jpeg.data(), jpeg.size(), planes, 352, strides, 288, TJFLAG_FASTDCT), 0);
    tjDestroy(handle);
    for (int row = 0; row < 288; ++row) {
        auto plane = [&](const Bytes& p, int width) {
            return Bytes(p.begin() + row * width, p.begin() + (row + 1) * width);
        };
        const Bytes expected = test::referenceYuv411Row(plane(y, 352), plane(cb, chromaWidth), plane(cr, chromaWidth), 352);
        const std::size_t stride = 352 * 3;
        const Bytes actual(decoded.bgr.begin() + std::ptrdiff_t((287 - row) * stride),
                           decoded.bgr.begin() + std::ptrdiff_t((288 - row) * stride));
        ASSERT_EQ(actual, expected) << "row " << row;
    }
}

TEST(FrameDecode, WithoutFancyUpsamplingTwoToOneFramesStillDecodeToTheScene)
{
    const auto frame = cameraFrame(176, 144, 64);
    const auto decoded = decodeFrame(frameJpeg(frame), bitmapBytes(176, 144), false);
    ASSERT_TRUE(decoded.ok);
    EXPECT_GT(test::psnr(decoded.bgr, frame.sceneRgb, 176, 144), 27.0);
}

TEST(FrameDecode, ADataStreamWithoutHuffmanTablesUsesTheStandardOnes)
{
    const auto frame = cameraFrame(160, 120, 64);
    const Bytes jpeg = frameJpeg(frame);
    const std::size_t dhtAt = 179;
    ASSERT_EQ(jpeg[dhtAt + 1], 0xC4);
    Bytes stripped(jpeg.begin(), jpeg.begin() + dhtAt);
    stripped.insert(stripped.end(), jpeg.begin() + std::ptrdiff_t(test::segmentEnd(jpeg, dhtAt)), jpeg.end());
    const auto withTables = decodeFrame(jpeg, bitmapBytes(160, 120));
    const auto withoutTables = decodeFrame(stripped, bitmapBytes(160, 120));
    ASSERT_TRUE(withTables.ok);
    ASSERT_TRUE(withoutTables.ok);
    EXPECT_EQ(withoutTables.bgr, withTables.bgr);
}

// Two 320 x 120 fields; the first announces itself as the first of two and
// says where the second begins.
Bytes twoFieldPicture(const Bytes& first, const Bytes& second, std::uint32_t fieldSize)
{
    Bytes picture = first;
    picture[kAvi1PolarityOffset] = 1;
    sys::writeBe32(&picture[kAvi1FieldSizeOffset], fieldSize);
    picture.insert(picture.end(), second.begin(), second.end());
    return picture;
}

TEST(FrameDecode, TwoFieldPicturesInterleaveTheirRows)
{
    const Bytes upper = frameJpeg(cameraFrame(320, 120, 64));
    const Bytes lower = frameJpeg(cameraFrame(320, 120, 16));
    const Bytes picture = twoFieldPicture(upper, lower, std::uint32_t(upper.size()));
    const Bytes upperRows = decodeFrame(upper, bitmapBytes(320, 120)).bgr;
    const Bytes lowerRows = decodeFrame(lower, bitmapBytes(320, 120)).bgr;
    ASSERT_NE(upperRows, lowerRows);

    const auto decoded = decodeFrame(picture, bitmapBytes(320, 240));
    ASSERT_TRUE(decoded.ok);
    EXPECT_EQ(decoded.width, 320u);
    EXPECT_EQ(decoded.height, 240u);
    const std::size_t stride = 320 * 3;
    for (std::size_t fromTop = 0; fromTop < 240; ++fromTop) {
        const Bytes& field = fromTop % 2 == 0 ? upperRows : lowerRows;
        const std::size_t fieldRowFromBottom = 119 - fromTop / 2;
        const auto expected = field.begin() + std::ptrdiff_t(fieldRowFromBottom * stride);
        const auto actual = decoded.bgr.begin() + std::ptrdiff_t((239 - fromTop) * stride);
        ASSERT_TRUE(std::equal(expected, expected + std::ptrdiff_t(stride), actual)) << "row " << fromTop;
    }
}

TEST(FrameDecode, ATwoFieldPictureWhoseSecondFieldIsMissingOrOtherwiseSizedFails)
{
    const Bytes upper = frameJpeg(cameraFrame(320, 120, 64));
    const Bytes other = frameJpeg(cameraFrame(160, 120, 64));
    for (const std::uint32_t fieldSize : {0u, std::uint32_t(upper.size()) * 4, 0xFFFFFFFFu}) {
        const auto decoded = decodeFrame(twoFieldPicture(upper, upper, fieldSize), bitmapBytes(320, 240));
        EXPECT_FALSE(decoded.ok) << "field size " << fieldSize;
    }
    EXPECT_FALSE(decodeFrame(twoFieldPicture(upper, other, std::uint32_t(upper.size())), bitmapBytes(320, 240)).ok);
}

TEST(FrameDecode, WidthsOffTheEightPixelGridAreRoundedUpWithBlackPadding)
{
    Bytes rgb(std::size_t(100) * 20 * 3);
    for (std::size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = std::uint8_t(40 + (i * 13) % 170);
    tjhandle handle = tjInitCompress();
    unsigned char* data = nullptr;
    unsigned long size = 0;
    ASSERT_EQ(tjCompress2(handle, rgb.data(), 100, 0, 20, TJPF_RGB, &data, &size, TJSAMP_422, 90, 0), 0);
    tjDestroy(handle);
    const Bytes jpeg(data, data + size);
    tjFree(data);

    const Bytes reference = turboDecode(jpeg, 100, 20);
    const auto decoded = decodeFrame(jpeg, 104 * 20 * 3);
    ASSERT_TRUE(decoded.ok);
    EXPECT_EQ(decoded.width, 104u);
    EXPECT_EQ(decoded.height, 20u);
    for (std::size_t row = 0; row < 20; ++row) {
        const auto out = decoded.bgr.begin() + std::ptrdiff_t(row * 104 * 3);
        EXPECT_TRUE(std::equal(out, out + 300, reference.begin() + std::ptrdiff_t(row * 300))) << "row " << row;
        EXPECT_TRUE(std::all_of(out + 300, out + 312, [](std::uint8_t b) { return b == 0; })) << "row " << row;
    }
    // The rounded width is what the buffer must hold.
    EXPECT_FALSE(decodeFrame(jpeg, 100 * 20 * 3).ok);
}

TEST(FrameDecode, ProgressiveFilesDecodeThroughThePoolsWholeCoefficientArrays)
{
    // A progressive file needs every coefficient of the picture held across
    // its scans: the memory manager's virtual arrays.
    Bytes rgb(std::size_t(96) * 64 * 3);
    for (std::size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = std::uint8_t(30 + (i * 17) % 190);
    tjhandle handle = tjInitCompress();
    unsigned char* data = nullptr;
    unsigned long size = 0;
    ASSERT_EQ(tjCompress2(handle, rgb.data(), 96, 0, 64, TJPF_RGB, &data, &size, TJSAMP_420, 85, TJFLAG_PROGRESSIVE),
              0);
    tjDestroy(handle);
    const Bytes jpeg(data, data + size);
    tjFree(data);

    const auto decoded = decodeFrame(jpeg, bitmapBytes(96, 64));
    ASSERT_TRUE(decoded.ok);
    EXPECT_EQ(decoded.bgr, turboDecode(jpeg, 96, 64));
}

}  // namespace
}  // namespace qm::morvax
