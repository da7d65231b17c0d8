// Picture-to-bitmap on every code path against the imaging library's own
// path (as first written): the same success and the same bytes for every
// combination of steps, sizes the enlargement treats differently, greyscale
// and four-colour data; and the sharpening arithmetic for every input.
#include <gtest/gtest.h>

#include <turbojpeg.h>

#include <algorithm>
#include <vector>

#include "device/imaging/dib.h"
#include "device/imaging/picture_bitmap.h"
#include "device/imaging/pixels/unsharp_mask.h"
#include "device/imaging/simd/code_path.h"
#include "tests/device/imaging/pinned_pictures.h"
#include "tests/device/imaging/reference/reference_picture_bitmap.h"

namespace qm::device::imaging {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Output size for the steps, as the caller sizes its buffer.
std::size_t bufferFor(int width, int height, const PictureSteps& steps)
{
    if (steps.resizeToXga)
        width = 1024, height = 768;
    if (steps.quarterTurns % 2 == 1)
        std::swap(width, height);
    return dibSize(std::size_t(width), std::size_t(height));
}

void expectLibraryBytes(const Bytes& jpeg, int width, int height, const std::vector<PictureSteps>& stepsList,
                        const std::string& what)
{
    for (const PictureSteps& steps : stepsList) {
        const std::size_t size = bufferFor(width, height, steps);
        Bytes expected(size, 0xCD);
        const bool expectedResult = reference::pictureToBitmap(jpeg, steps, expected);
        for (CodePath path : testing::codePathsToTest()) {
            ScopedCodePath scoped(path);
            Bytes actual(size, 0xCD);
            ASSERT_EQ(pictureToBitmap(jpeg, steps, actual), expectedResult)
                << what << " sharpen " << steps.sharpenFactor << " resize " << steps.resizeToXga << " turns "
                << steps.quarterTurns << " on " << codePathName(path);
            if (expectedResult) {
                ASSERT_EQ(actual, expected) << what << " sharpen " << steps.sharpenFactor << " resize "
                                            << steps.resizeToXga << " turns " << steps.quarterTurns << " on "
                                            << codePathName(path);
            }
        }
    }
}

std::vector<PictureSteps> everyStep(std::initializer_list<int> factors)
{
    std::vector<PictureSteps> steps;
    for (int factor : factors)
        for (bool resize : {false, true})
            for (int turns = 0; turns < 4; ++turns)
                steps.push_back({factor, resize, turns});
    return steps;
}

TEST(PictureBitmapPaths, EveryStepGivesTheLibrarysBytes)
{
    struct Case {
        int width, height;
        const char* why;
    };
    for (const Case& c : {Case{640, 480, "enlarged 1.6 times"}, Case{333, 250, "odd width, padded rows"},
                          Case{800, 600, "enlarged less than 1.4 times, then sharpened"},
                          Case{300, 200, "enlarged unevenly"}}) {
        const Bytes jpeg = testing::encodeJpeg(testing::makeScene(c.width, c.height), 90);
        expectLibraryBytes(jpeg, c.width, c.height, everyStep({0, 800}), c.why);
    }
}

TEST(PictureBitmapPaths, SizesAndStrengthsAtTheEdgesGiveTheLibrarysBytes)
{
    const std::vector<PictureSteps> some = {{1000, false, 0}, {37, false, 1}, {0, true, 2}, {1, true, 3}};
    struct Case {
        int width, height;
        const char* why;
    };
    for (const Case& c : {Case{1024, 768, "already the enlarged size"},
                          Case{512, 384, "enlarged exactly twice (the library's special case)"},
                          Case{7, 9, "tiny"}, Case{4, 3, "all border"}, Case{640, 480, "strengths"}}) {
        const Bytes jpeg = testing::encodeJpeg(testing::stripesPicture(c.width, c.height), 85);
        expectLibraryBytes(jpeg, c.width, c.height, some, c.why);
    }
}

TEST(PictureBitmapPaths, LargeAndOddPicturesGiveTheLibrarysBytes)
{
    const Bytes grey = testing::encodeJpeg(testing::stripesPicture(320, 240), 80, true);
    expectLibraryBytes(grey, 320, 240, everyStep({0, 800}), "greyscale");
    const std::vector<PictureSteps> some = {{0, false, 0}, {800, false, 1}, {0, true, 3}, {800, true, 2}};
    const Bytes large = testing::encodeJpeg(testing::noisePicture(1360, 1024, 5), 90);
    expectLibraryBytes(large, 1360, 1024, some, "reduced to 0.75");
    const Bytes larger = testing::encodeJpeg(testing::makeScene(2100, 1500), 70);
    expectLibraryBytes(larger, 2100, 1500, some, "reduced below 0.7 (area mapping)");
    Bytes dense = testing::encodeJpeg(testing::makeScene(640, 480), 90);
    testing::setJfifDensity(dense, 2, 40, 80);
    expectLibraryBytes(dense, 640, 480, some, "density in centimetres");
}

TEST(PictureBitmapPaths, FourColourDataGivesTheLibrarysBytes)
{
    // CMYK pixels as libjpeg-turbo codes them (YCCK).
    constexpr int width = 96, height = 64;
    std::vector<std::uint8_t> cmyk(std::size_t(width) * height * 4);
    for (std::size_t i = 0; i < cmyk.size(); ++i)
        cmyk[i] = std::uint8_t((i * 37) ^ (i >> 5));
    tjhandle handle = tjInitCompress();
    unsigned char* data = nullptr;
    unsigned long size = 0;
    ASSERT_EQ(tjCompress2(handle, cmyk.data(), width, 0, height, TJPF_CMYK, &data, &size, TJSAMP_444, 90, 0), 0);
    const Bytes jpeg(data, data + size);
    tjFree(data);
    tjDestroy(handle);
    expectLibraryBytes(jpeg, width, height, {{0, false, 0}, {800, true, 1}}, "cmyk");
}

TEST(PictureBitmapPaths, CorruptDataFailsOnEveryPathAndKeepsTheRotationCode)
{
    const Bytes jpeg = testing::encodeJpeg(testing::makeScene(640, 480), 90);
    const Bytes truncated(jpeg.begin(), jpeg.begin() + std::ptrdiff_t(jpeg.size() / 2));
    Bytes damaged = jpeg;
    for (std::size_t i = damaged.size() / 3; i < damaged.size() / 3 + 64; ++i)
        damaged[i] = 0xFF;
    for (CodePath path : testing::codePathsToTest()) {
        ScopedCodePath scoped(path);
        for (const Bytes* data : {&truncated, static_cast<const Bytes*>(&damaged)}) {
            for (const PictureSteps& steps : {PictureSteps{}, PictureSteps{800, true, 1}}) {
                Bytes buffer(bufferFor(640, 480, steps), 0xCD);
                buffer[0] = std::uint8_t(steps.quarterTurns);
                const Bytes before = buffer;
                EXPECT_EQ(pictureToBitmap(*data, steps, buffer), reference::pictureToBitmap(*data, steps, buffer));
                EXPECT_FALSE(pictureToBitmap(*data, steps, buffer));
                // A retry reads the rotation code again from the header.
                EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + std::ptrdiff_t(kDibHeaderSize), before.begin()));
            }
        }
    }
}

TEST(UnsharpMaskKernels, EveryPathSharpensEverySampleAsTheLibrary)
{
    constexpr int kLargestBox = 25 * 255;
    std::vector<std::uint16_t> box(kLargestBox + 1), zero(kLargestBox + 1, 0);
    for (int i = 0; i <= kLargestBox; ++i)
        box[std::size_t(i)] = std::uint16_t(i);
    const std::uint16_t* const sums[5] = {box.data(), zero.data(), zero.data(), zero.data(), zero.data()};
    std::vector<std::uint8_t> samples(box.size()), scalar(box.size()), vector(box.size());
    for (float fraction : {sharpeningFraction(800), sharpeningFraction(1000), sharpeningFraction(1), 0.4f, 0.33f}) {
        for (int sample = 0; sample < 256; ++sample) {
            std::fill(samples.begin(), samples.end(), std::uint8_t(sample));
            unsharpKernelsScalar().finishRow(sums, samples.data(), scalar.data(), 0, box.size(), fraction);
            const bool hasVector = codePathSupported(CodePath::Avx2);
            if (hasVector)
                unsharpKernelsAvx2().finishRow(sums, samples.data(), vector.data(), 0, box.size(), fraction);
            for (int b = 0; b <= kLargestBox; ++b) {
                // The library's expression, with its promotion to double.
                const float mean = float(1.0 / 25.0) * float(b);
                const int value = int(float(sample) + fraction * (float(sample) - mean) + 0.5);
                const auto expected = std::uint8_t(std::clamp(value, 0, 255));
                ASSERT_EQ(scalar[std::size_t(b)], expected) << b << " " << sample << " " << fraction;
                if (hasVector) {
                    ASSERT_EQ(vector[std::size_t(b)], expected) << b << " " << sample << " " << fraction;
                }
            }
        }
    }
}

}  // namespace
}  // namespace qm::device::imaging
