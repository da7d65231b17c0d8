// The fast upload encoder on every code path against its definition: the
// colour arithmetic for every colour, the conversion of whole rows, and the
// finished JPEG against the encoder as first written.
#include <gtest/gtest.h>

#include <vector>

#include "device/imaging/dib.h"
#include "device/imaging/jpeg/colour_planes.h"
#include "device/imaging/jpeg/upload_jpeg.h"
#include "device/imaging/simd/code_path.h"
#include "tests/device/imaging/pinned_pictures.h"
#include "tests/device/imaging/reference/reference_upload_jpeg.h"

namespace qm::device::imaging {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(UploadColourConversion, ChromaEqualsTheDoublePrecisionFormulasForEveryColour)
{
    for (int r = 0; r < 256; ++r)
        for (int g = 0; g < 256; ++g)
            for (int b = 0; b < 256; ++b) {
                ASSERT_EQ(blueDifferenceOf(r, g, b), std::int16_t(-0.168736 * r - 0.331264 * g + 0.5 * b))
                    << r << " " << g << " " << b;
                ASSERT_EQ(redDifferenceOf(r, g, b), std::int16_t(0.5 * r - 0.418688 * g - 0.081312 * b))
                    << r << " " << g << " " << b;
            }
}

// Rows converted pixel by pixel with the formulas of the definition.
McuRowPlanes definedPlanes(const Bytes& dib, std::size_t firstRow)
{
    McuRowPlanes planes{};
    const std::size_t stride = dibRowStride(kUploadWidth);
    for (std::size_t row = 0; row < kMcuRows; ++row) {
        const std::uint8_t* line = dib.data() + kDibHeaderSize + (kUploadHeight - 1 - firstRow - row) * stride;
        for (std::size_t x = 0; x < kUploadWidth; ++x) {
            const double b = line[3 * x], g = line[3 * x + 1], r = line[3 * x + 2];
            planes.luminance[row * kUploadWidth + x] = std::int16_t(((306 * int(r) + 601 * int(g) + 117 * int(b)) >> 10) - 128);
        }
        for (std::size_t x = 0; x < kChromaWidth; ++x) {
            int cb[2], cr[2];
            for (int i = 0; i < 2; ++i) {
                const std::uint8_t* p = line + (2 * x + std::size_t(i)) * 3;
                const double b = p[0], g = p[1], r = p[2];
                cb[i] = std::int16_t(-0.168736 * r - 0.331264 * g + 0.5 * b);
                cr[i] = std::int16_t(0.5 * r - 0.418688 * g - 0.081312 * b);
            }
            planes.blue[row * kChromaWidth + x] = std::int16_t((cb[0] + cb[1]) >> 1);
            planes.red[row * kChromaWidth + x] = std::int16_t((cr[0] + cr[1]) >> 1);
        }
    }
    return planes;
}

TEST(UploadColourConversion, EveryPathConvertsRowsAsDefined)
{
    for (const testing::NamedPicture& named : testing::encoderPictures()) {
        const Bytes dib = testing::toDib(named.picture);
        const std::uint8_t* rows = dib.data() + kDibHeaderSize;
        for (std::size_t first = 0; first < std::size_t(kUploadHeight); first += kMcuRows) {
            const McuRowPlanes defined = definedPlanes(dib, first);
            McuRowPlanes scalar{}, vector{};
            convertMcuRowScalar(rows, dibRowStride(kUploadWidth), first, scalar);
            ASSERT_EQ(scalar.luminance, defined.luminance) << named.name << " row " << first;
            ASSERT_EQ(scalar.blue, defined.blue) << named.name << " row " << first;
            ASSERT_EQ(scalar.red, defined.red) << named.name << " row " << first;
            if (!codePathSupported(CodePath::Avx2))
                continue;
            convertMcuRowAvx2(rows, dibRowStride(kUploadWidth), first, vector);
            ASSERT_EQ(vector.luminance, defined.luminance) << named.name << " row " << first;
            ASSERT_EQ(vector.blue, defined.blue) << named.name << " row " << first;
            ASSERT_EQ(vector.red, defined.red) << named.name << " row " << first;
        }
    }
}

TEST(UploadEncoderPaths, EveryPathGivesTheBytesOfTheFirstEncoder)
{
    for (const testing::NamedPicture& named : testing::encoderPictures()) {
        const Bytes dib = testing::toDib(named.picture);
        Bytes expected(dib.size());
        const auto expectedSize = reference::encodeUploadJpeg(dib, expected);
        for (CodePath path : testing::codePathsToTest()) {
            ScopedCodePath scoped(path);
            Bytes actual(dib.size(), 0x5A);
            const auto actualSize = encodeUploadJpeg(dib, actual);
            ASSERT_EQ(actualSize, expectedSize) << named.name << " on " << codePathName(path);
            if (actualSize) {
                EXPECT_TRUE(std::equal(actual.begin(), actual.begin() + std::ptrdiff_t(*actualSize), expected.begin()))
                    << named.name << " on " << codePathName(path);
            }
        }
    }
}

TEST(UploadEncoderPaths, EncodingOverItsOwnBitmapFileGivesTheSameBytes)
{
    for (CodePath path : testing::codePathsToTest()) {
        ScopedCodePath scoped(path);
        for (const char* name : {"scene", "noise 7"}) {
            testing::RgbPicture picture;
            for (testing::NamedPicture& named : testing::encoderPictures())
                if (named.name == name)
                    picture = std::move(named.picture);
            const Bytes dib = testing::toDib(picture);
            Bytes separate(dib.size());
            const auto separateSize = encodeUploadJpeg(dib, separate);
            ASSERT_TRUE(separateSize) << name;
            Bytes file(kBitmapFileHeaderSize, 0);
            file.insert(file.end(), dib.begin(), dib.end());
            const auto inPlaceSize = encodeUploadJpeg(std::span(file).subspan(kBitmapFileHeaderSize), file);
            ASSERT_EQ(inPlaceSize, separateSize) << name << " on " << codePathName(path);
            EXPECT_TRUE(std::equal(separate.begin(), separate.begin() + std::ptrdiff_t(*separateSize), file.begin()))
                << name << " on " << codePathName(path);
        }
    }
}

TEST(CodePathChoice, ScopedChoiceSwitchesAndRestores)
{
    const CodePath before = activeCodePath();
    {
        ScopedCodePath scalar(CodePath::Scalar);
        EXPECT_EQ(activeCodePath(), CodePath::Scalar);
        {
            ScopedCodePath vector(CodePath::Avx2);
            EXPECT_EQ(activeCodePath(), codePathSupported(CodePath::Avx2) ? CodePath::Avx2 : CodePath::Scalar);
        }
        EXPECT_EQ(activeCodePath(), CodePath::Scalar);
    }
    EXPECT_EQ(activeCodePath(), before);
}

}  // namespace
}  // namespace qm::device::imaging
