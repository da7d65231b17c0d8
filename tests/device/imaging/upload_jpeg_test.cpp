// The upload JPEG: its fixed byte layout, its tables against an independent
// encoder's, and what an independent decoder makes of it.
#include "device/imaging/jpeg/upload_jpeg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "device/imaging/dib.h"
#include "tests/device/imaging/test_pictures.h"

namespace qm::device::imaging {
namespace {

using testing::RgbPicture;

using Bytes = std::vector<std::uint8_t>;

Bytes encoded(const RgbPicture& picture)
{
    const Bytes dib = testing::toDib(picture);
    Bytes out(dib.size());
    const auto size = encodeUploadJpeg(dib, out);
    if (!size)
        return {};
    out.resize(*size);
    return out;
}

Bytes slice(const Bytes& bytes, std::size_t offset, std::size_t size)
{
    if (offset + size > bytes.size())
        return {};
    return Bytes(bytes.begin() + std::ptrdiff_t(offset), bytes.begin() + std::ptrdiff_t(offset + size));
}

// The marker segments of a JPEG up to the start of scan, in file order.
std::vector<Bytes> segmentsWithMarker(const Bytes& jpeg, std::uint8_t marker)
{
    std::vector<Bytes> segments;
    std::size_t at = 2;
    while (at + 4 <= jpeg.size() && jpeg[at] == 0xFF && jpeg[at + 1] != 0xDA) {
        const std::size_t size = 2 + std::size_t((jpeg[at + 2] << 8) | jpeg[at + 3]);
        if (jpeg[at + 1] == marker)
            segments.push_back(slice(jpeg, at, size));
        at += size;
    }
    return segments;
}

// Offsets of the layout, in order.
constexpr std::size_t kQuantisationAt = 20;
constexpr std::size_t kFrameAt = kQuantisationAt + 2 * 69;
constexpr std::size_t kHuffmanAt = kFrameAt + 19;
constexpr std::size_t kRawSegmentAt = kHuffmanAt + 33 + 183 + 33 + 183;
constexpr std::size_t kScanAt = kRawSegmentAt + kRawThumbnailSegmentSize;
constexpr std::size_t kEntropyAt = kScanAt + 14;

class UploadJpeg : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        scene_ = new RgbPicture(testing::makeScene(640, 480));
        jpeg_ = new Bytes(encoded(*scene_));
    }
    static void TearDownTestSuite()
    {
        delete scene_;
        delete jpeg_;
    }
    static RgbPicture* scene_;
    static Bytes* jpeg_;
};
RgbPicture* UploadJpeg::scene_ = nullptr;
Bytes* UploadJpeg::jpeg_ = nullptr;

TEST_F(UploadJpeg, HasTheFixedLayoutTheCameraExpects)
{
    const Bytes& jpeg = *jpeg_;
    ASSERT_GT(jpeg.size(), kEntropyAt + 2);
    EXPECT_EQ(slice(jpeg, 0, 20), (Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0x00, 0x01, 0x01,
                                         0x01, 0x00, 0x48, 0x00, 0x48, 0x00, 0x00}));
    EXPECT_EQ(slice(jpeg, kQuantisationAt, 5), (Bytes{0xFF, 0xDB, 0x00, 0x43, 0x00}));
    EXPECT_EQ(slice(jpeg, kQuantisationAt + 69, 5), (Bytes{0xFF, 0xDB, 0x00, 0x43, 0x01}));
    EXPECT_EQ(slice(jpeg, kFrameAt, 19), (Bytes{0xFF, 0xC0, 0x00, 0x11, 0x08, 0x01, 0xE0, 0x02, 0x80, 0x03, 0x01,
                                                0x21, 0x00, 0x02, 0x11, 0x01, 0x03, 0x11, 0x01}));
    EXPECT_EQ(slice(jpeg, kHuffmanAt, 5), (Bytes{0xFF, 0xC4, 0x00, 0x1F, 0x00}));
    EXPECT_EQ(slice(jpeg, kHuffmanAt + 33, 5), (Bytes{0xFF, 0xC4, 0x00, 0xB5, 0x10}));
    EXPECT_EQ(slice(jpeg, kHuffmanAt + 216, 5), (Bytes{0xFF, 0xC4, 0x00, 0x1F, 0x01}));
    EXPECT_EQ(slice(jpeg, kHuffmanAt + 249, 5), (Bytes{0xFF, 0xC4, 0x00, 0xB5, 0x11}));
    EXPECT_EQ(slice(jpeg, kRawSegmentAt, 9), (Bytes{0xFF, 0xE0, 0x25, 0x8F, 0x19, 0x68, 0x12, 0x16, 0x00}));
    EXPECT_EQ(slice(jpeg, kScanAt - 8, 8), (Bytes{0x10, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(slice(jpeg, kScanAt, 14),
              (Bytes{0xFF, 0xDA, 0x00, 0x0C, 0x03, 0x01, 0x00, 0x02, 0x11, 0x03, 0x11, 0x00, 0x3F, 0x00}));
    EXPECT_EQ(slice(jpeg, jpeg.size() - 2, 2), (Bytes{0xFF, 0xD9}));
    // Inside the entropy-coded data every 0xFF is followed by a stuffed 0x00.
    for (std::size_t i = kEntropyAt; i + 2 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF) {
            ASSERT_EQ(jpeg[i + 1], 0x00) << "at " << i;
            ++i;
        }
    }
}

TEST_F(UploadJpeg, TablesAreThoseOfAQualityNinetyBaselineEncoder)
{
    const Bytes reference = testing::encodeJpeg(*scene_, 90);
    const auto ourQuantisation = segmentsWithMarker(*jpeg_, 0xDB);
    const auto theirQuantisation = segmentsWithMarker(reference, 0xDB);
    ASSERT_EQ(ourQuantisation.size(), 2u);
    EXPECT_EQ(ourQuantisation, theirQuantisation);
    const auto ourHuffman = segmentsWithMarker(*jpeg_, 0xC4);
    const auto theirHuffman = segmentsWithMarker(reference, 0xC4);
    ASSERT_EQ(ourHuffman.size(), 4u);
    EXPECT_EQ(ourHuffman, theirHuffman);
}

TEST_F(UploadJpeg, DecodesCloseToTheInput)
{
    const auto decoded = testing::decodeJpeg(*jpeg_);
    ASSERT_TRUE(decoded);
    ASSERT_EQ(decoded->width, 640);
    ASSERT_EQ(decoded->height, 480);
    EXPECT_GE(testing::psnr(*decoded, *scene_), 38.0);
}

TEST(UploadJpegContent, NoiseEitherFitsAndDecodesOrIsRefusedWithoutOverrun)
{
    const RgbPicture noise = testing::noisePicture(640, 480, 7);
    const Bytes dib = testing::toDib(noise);
    // The upload path encodes into the memory of the bitmap file.
    Bytes out(kBitmapFileHeaderSize + dib.size() + 16, 0xA5);
    const auto size = encodeUploadJpeg(dib, std::span(out).first(kBitmapFileHeaderSize + dib.size()));
    EXPECT_TRUE(std::all_of(out.end() - 16, out.end(), [](std::uint8_t b) { return b == 0xA5; }));
    if (size) {
        // Noise loses most of its chroma to the 2 x 1 subsampling; the result
        // must still be as good as an independent encoder's.
        const auto decoded = testing::decodeJpeg(std::span(out).first(*size));
        const auto reference = testing::decodeJpeg(testing::encodeJpeg(noise, 90));
        ASSERT_TRUE(decoded);
        ASSERT_TRUE(reference);
        EXPECT_GE(testing::psnr(*decoded, noise), testing::psnr(*reference, noise) - 0.5);
    }
}

TEST(UploadJpegContent, RawThumbnailSamplesEveryEighthRowFromRowSevenAndPairsColumnsEightApart)
{
    // White everywhere except the sampled pixels, which are black: every
    // raw sample must read black.
    RgbPicture picture = testing::uniformPicture(640, 480, 255, 255, 255);
    for (int y = 7; y < 480; y += 8)
        for (int x = 0; x < 640; x += 8)
            std::fill_n(picture.rgb.begin() + (std::ptrdiff_t(y) * 640 + x) * 3, 3, 0);
    const Bytes jpeg = encoded(picture);
    const Bytes raw = slice(jpeg, kRawSegmentAt + 9, 9600);
    ASSERT_EQ(raw.size(), 9600u);
    for (std::size_t i = 0; i < raw.size(); i += 4) {
        ASSERT_EQ(raw[i], 0x80) << i;      // Y0 - 128 = -128
        ASSERT_EQ(raw[i + 1], 0x00) << i;  // Cb
        ASSERT_EQ(raw[i + 2], 0x80) << i;  // Y1 - 128
        ASSERT_EQ(raw[i + 3], 0x00) << i;  // Cr
    }
}

TEST(UploadJpegContent, RawThumbnailCarriesTheCamerasYccOfEachPair)
{
    // Left pixel of each pair (200, 100, 50), right pixel (10, 20, 250).
    RgbPicture picture = testing::uniformPicture(640, 480, 200, 100, 50);
    for (int y = 0; y < 480; ++y)
        for (int x = 8; x < 640; x += 16) {
            std::uint8_t* p = picture.rgb.data() + (std::size_t(y) * 640 + x) * 3;
            p[0] = 10, p[1] = 20, p[2] = 250;
        }
    const Bytes jpeg = encoded(picture);
    const Bytes raw = slice(jpeg, kRawSegmentAt + 9, 4);
    // Left:  Y - 128 = -3.8 -> -3, Cb = -41.87 -> -41, Cr = 54.07 -> 54.
    // Right: Y - 128 = -84.77 -> -84, Cb = 116.94 -> 116, Cr = -23.70 -> -23.
    EXPECT_EQ(raw, (Bytes{std::uint8_t(-3), std::uint8_t((-41 + 116) / 2), std::uint8_t(-84),
                          std::uint8_t((54 - 23) / 2)}));
}

TEST(UploadJpegContent, EncodingOverItsOwnInputGivesTheSameJpeg)
{
    const RgbPicture scene = testing::makeScene(640, 480);
    const Bytes dib = testing::toDib(scene);
    Bytes separate(dib.size());
    const auto separateSize = encodeUploadJpeg(dib, separate);
    ASSERT_TRUE(separateSize);

    Bytes file(kBitmapFileHeaderSize, 0);
    file.insert(file.end(), dib.begin(), dib.end());
    const auto inPlaceSize =
        encodeUploadJpeg(std::span(file).subspan(kBitmapFileHeaderSize), std::span(file));
    ASSERT_EQ(inPlaceSize, separateSize);
    EXPECT_TRUE(std::equal(separate.begin(), separate.begin() + std::ptrdiff_t(*separateSize), file.begin()));
}

TEST(UploadJpegContent, OutputIsBoundedByTheGivenBuffer)
{
    const Bytes dib = testing::toDib(testing::makeScene(640, 480));
    Bytes out(dib.size());
    const auto size = encodeUploadJpeg(dib, out);
    ASSERT_TRUE(size);
    for (std::size_t capacity : {std::size_t(0), std::size_t(100), kEntropyAt, *size - 1}) {
        Bytes small(capacity + 32, 0x5A);
        EXPECT_FALSE(encodeUploadJpeg(dib, std::span(small).first(capacity))) << capacity;
        EXPECT_TRUE(std::all_of(small.end() - 32, small.end(), [](std::uint8_t b) { return b == 0x5A; }))
            << capacity;
    }
    Bytes exact(*size);
    EXPECT_EQ(encodeUploadJpeg(dib, exact), size);
}

TEST(UploadJpegContent, RefusesAnythingButA640By480TrueColourBitmap)
{
    Bytes out(1 << 20);
    EXPECT_FALSE(encodeUploadJpeg(testing::toDib(testing::makeScene(320, 240)), out));
    Bytes dib = testing::toDib(testing::makeScene(640, 480));
    EXPECT_FALSE(encodeUploadJpeg(std::span(dib).first(dib.size() - 1), out));  // last row cut short
    dib[14] = 32;  // 32 bits per pixel
    EXPECT_FALSE(encodeUploadJpeg(dib, out));
    EXPECT_FALSE(encodeUploadJpeg({}, out));
}

}  // namespace
}  // namespace qm::device::imaging
