// The published formats as the adapter host sees them: the default order
// from the registry, the intersection and the formats an open accepts.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/videodriver/driver/rig/video_rig.h"
#include "videodriver/camera/video_formats.h"

namespace qm::morvax::test {
namespace {

struct Size {
    LONG width;
    LONG height;
    friend bool operator==(const Size&, const Size&) = default;
};

const KS_DATARANGE_VIDEO& rangeOf(const std::vector<UCHAR>& bytes)
{
    return *reinterpret_cast<const KS_DATARANGE_VIDEO*>(bytes.data());
}

std::vector<Size> sizesOf(const StreamDescription& stream, ULONG first, ULONG count)
{
    std::vector<Size> sizes;
    for (ULONG i = first; i < first + count; ++i) {
        const KS_BITMAPINFOHEADER& bitmap = rangeOf(stream.formats.at(i)).VideoInfoHeader.bmiHeader;
        sizes.push_back({bitmap.biWidth, bitmap.biHeight});
    }
    return sizes;
}

struct OrderCase {
    ULONG defaultVidFormat;
    std::vector<Size> order;
};

class DefaultFormatOrder : public VideoRig, public ::testing::WithParamInterface<OrderCase> {
protected:
    RigOptions rigOptions() override
    {
        RigOptions options;
        options.settings.push_back({u"DefaultVidFormat", GetParam().defaultVidFormat});
        return options;
    }
};

TEST_P(DefaultFormatOrder, PutsTheChosenSizeFirstInBothGroups)
{
    const StreamDescription& capture = host().description().streams[kCaptureStream];
    ASSERT_EQ(capture.formats.size(), 10u);
    EXPECT_EQ(sizesOf(capture, 0, 5), GetParam().order);
    EXPECT_EQ(sizesOf(capture, 5, 5), GetParam().order);
    for (ULONG i = 0; i < 10; ++i) {
        const KSDATARANGE& range = rangeOf(capture.formats[i]).DataRange;
        EXPECT_EQ(range.SubFormat, i < 5 ? MEDIASUBTYPE_RGB24 : MEDIASUBTYPE_MJPG);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Registry, DefaultFormatOrder,
    ::testing::Values(OrderCase{0, {{160, 120}, {176, 144}, {320, 240}, {352, 288}, {640, 480}}},
                      OrderCase{2, {{320, 240}, {160, 120}, {176, 144}, {352, 288}, {640, 480}}},
                      OrderCase{9, {{640, 480}, {160, 120}, {176, 144}, {320, 240}, {352, 288}}}));

class Formats : public VideoRig {
protected:
    NTSTATUS intersect(ULONG stream, const std::vector<UCHAR>& range, std::vector<UCHAR>& format, ULONG& bytes)
    {
        return host().dataIntersection(stream, range, format, bytes);
    }
};

TEST_F(Formats, EveryRangeDescribesItsFrameSizeAndRates)
{
    for (const auto& bytes : host().description().streams[kCaptureStream].formats) {
        const KS_DATARANGE_VIDEO& range = rangeOf(bytes);
        const KS_BITMAPINFOHEADER& bitmap = range.VideoInfoHeader.bmiHeader;
        const LONG pixels = bitmap.biWidth * bitmap.biHeight;
        EXPECT_EQ(range.DataRange.FormatSize, sizeof(KS_DATARANGE_VIDEO));
        EXPECT_EQ(range.DataRange.MajorFormat, KSDATAFORMAT_TYPE_VIDEO);
        EXPECT_EQ(range.DataRange.Specifier, KSDATAFORMAT_SPECIFIER_VIDEOINFO);
        EXPECT_TRUE(range.bFixedSizeSamples);
        EXPECT_TRUE(range.bTemporalCompression);
        EXPECT_EQ(range.ConfigCaps.InputSize.cx, bitmap.biWidth);
        EXPECT_EQ(range.ConfigCaps.MaxOutputSize.cy, bitmap.biHeight);
        EXPECT_EQ(range.ConfigCaps.MinFrameInterval, 333667);
        EXPECT_EQ(range.ConfigCaps.MaxFrameInterval, 640000000);
        EXPECT_EQ(range.ConfigCaps.MaxBitsPerSecond, pixels * 24 * 30);
        EXPECT_EQ(range.VideoInfoHeader.AvgTimePerFrame, 333667);
        EXPECT_EQ(bitmap.biSizeImage, ULONG(pixels * 3));
        EXPECT_EQ(bitmap.biBitCount, bitmap.biCompression == 0 ? 24 : 16);
    }
}

TEST_F(Formats, AFourByteBufferGetsOnlyTheFormatSize)
{
    const auto& range = host().description().streams[kCaptureStream].formats[0];
    std::vector<UCHAR> size(4);
    ULONG bytes = 0;
    ASSERT_EQ(intersect(kCaptureStream, range, size, bytes), STATUS_SUCCESS);
    EXPECT_EQ(bytes, 4u);
    ULONG formatSize = 0;
    std::memcpy(&formatSize, size.data(), 4);
    EXPECT_EQ(formatSize, 152u);
}

TEST_F(Formats, TheIntersectionIsTheRangesFormatWithItsImageSize)
{
    const StreamDescription& capture = host().description().streams[kCaptureStream];
    for (ULONG i = 0; i < capture.formats.size(); ++i) {
        std::vector<UCHAR> format(152);
        ULONG bytes = 0;
        ASSERT_EQ(intersect(kCaptureStream, capture.formats[i], format, bytes), STATUS_SUCCESS);
        EXPECT_EQ(bytes, 152u);
        const auto& result = *reinterpret_cast<const KS_DATAFORMAT_VIDEOINFOHEADER*>(format.data());
        const KS_DATARANGE_VIDEO& range = rangeOf(capture.formats[i]);
        EXPECT_EQ(result.DataFormat.FormatSize, 152u);
        EXPECT_EQ(result.DataFormat.SubFormat, range.DataRange.SubFormat);
        const KS_BITMAPINFOHEADER& bitmap = result.VideoInfoHeader.bmiHeader;
        EXPECT_EQ(bitmap.biWidth, range.VideoInfoHeader.bmiHeader.biWidth);
        // Rows of biBitCount bits padded to 32: the MJPG entries say 16 bits.
        const ULONG expected = ULONG(bitmap.biHeight * ((bitmap.biWidth * bitmap.biBitCount + 31) / 32) * 4);
        EXPECT_EQ(bitmap.biSizeImage, expected);
        EXPECT_EQ(result.DataFormat.SampleSize, expected);
    }
}

TEST_F(Formats, IntersectionsThatCannotBeAnsweredFail)
{
    const auto& range = host().description().streams[kCaptureStream].formats[0];
    std::vector<UCHAR> shortBuffer(151);
    ULONG bytes = 0;
    EXPECT_EQ(intersect(kCaptureStream, range, shortBuffer, bytes), STATUS_BUFFER_TOO_SMALL);

    std::vector<UCHAR> format(152);
    auto changed = range;
    reinterpret_cast<KS_DATARANGE_VIDEO*>(changed.data())->ConfigCaps.MaxFrameInterval += 1;
    EXPECT_EQ(intersect(kCaptureStream, changed, format, bytes), STATUS_NO_MATCH);
    // The still pin has only the 640 x 480 MJPG range.
    EXPECT_EQ(intersect(kStillStream, range, format, bytes), STATUS_NO_MATCH);
    EXPECT_EQ(intersect(2, range, format, bytes), STATUS_NOT_IMPLEMENTED);
}

TEST_F(Formats, AnOpenNeedsAFormatOfThatStream)
{
    auto rgb = formatFor(kCaptureStream, 0);
    // RGB24 is not a format of the still pin.
    EXPECT_FALSE(open(kStillStream, rgb, STATUS_INVALID_PARAMETER));
    auto unknown = rgb;
    reinterpret_cast<KS_DATAFORMAT_VIDEOINFOHEADER*>(unknown.data())->DataFormat.SubFormat.Data1 ^= 1;
    EXPECT_FALSE(open(kCaptureStream, unknown, STATUS_INVALID_PARAMETER));
    // A format record too short to hold a video info header.
    auto truncated = rgb;
    truncated.resize(100);
    reinterpret_cast<KSDATAFORMAT*>(truncated.data())->FormatSize = 100;
    EXPECT_FALSE(open(kCaptureStream, truncated, STATUS_INVALID_PARAMETER));
    EXPECT_TRUE(open(kCaptureStream, rgb));
}

}  // namespace
}  // namespace qm::morvax::test
