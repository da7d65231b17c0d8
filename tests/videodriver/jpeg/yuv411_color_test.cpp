// The table-driven 4:1:1 row conversion against the plain per-pixel
// statement of it, and the processor feature test.
#include "videodriver/jpeg/cpu_features.h"
#include "videodriver/jpeg/yuv411_color.h"
#include "tests/videodriver/jpeg/yuv411_reference.h"

#include <gtest/gtest.h>

#include <random>

namespace qm::morvax {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes convert(const Bytes& y, const Bytes& cb, const Bytes& cr, std::size_t width)
{
    // One spare byte behind the row shows any write past its end.
    Bytes bgr(width * 3 + 1, 0x5A);
    yuv411torgbMMX(y.data(), cb.data(), cr.data(), bgr.data(), std::uint32_t(width));
    EXPECT_EQ(bgr.back(), 0x5A) << "width " << width;
    bgr.pop_back();
    return bgr;
}

TEST(Yuv411Color, RowsMatchThePlainConversionAtEveryWidth)
{
    std::mt19937 random(411);
    for (const std::size_t width : {1u, 2u, 3u, 4u, 5u, 7u, 8u, 13u, 160u, 352u, 640u}) {
        for (int trial = 0; trial < 4; ++trial) {
            // Exactly sized planes: the converter must not read ahead of the
            // last chroma sample.
            Bytes y(width), cb((width + 3) / 4), cr((width + 3) / 4);
            for (auto* plane : {&y, &cb, &cr})
                for (auto& sample : *plane)
                    sample = std::uint8_t(random());
            EXPECT_EQ(convert(y, cb, cr, width), test::referenceYuv411Row(y, cb, cr, width)) << "width " << width;
        }
    }
}

TEST(Yuv411Color, ChromaMovesTowardTheNextGroupInQuarters)
{
    // Cb steps from 128 to 160 between two groups on a flat grey: blue
    // rises by a quarter of the step per pixel, then stays in the last group.
    const Bytes y(8, 126), cb = {128, 160}, cr = {128, 128};
    const Bytes bgr = convert(y, cb, cr, 8);
    const int step = int(((132186LL * 160 - 16919808) >> 16) - ((132186LL * 128 - 16919808) >> 16));
    std::vector<int> blue;
    for (std::size_t x = 0; x < 8; ++x)
        blue.push_back(bgr[x * 3]);
    const int base = blue[0];
    EXPECT_NEAR(blue[1] - base, step / 4, 1);
    EXPECT_NEAR(blue[2] - base, step / 2, 1);
    EXPECT_NEAR(blue[3] - base, step * 3 / 4, 1);
    for (std::size_t x = 4; x < 8; ++x)
        EXPECT_EQ(blue[x], base + step);
}

TEST(Yuv411Color, StudioRangeBlackWhiteAndPrimaries)
{
    struct Case {
        std::uint8_t y, cb, cr;
        int b, g, r;
    };
    // BT.601 studio-range codes of black, white and the primaries.
    const Case cases[] = {
        {16, 128, 128, 0, 0, 0},   {235, 128, 128, 255, 255, 255}, {81, 90, 240, 0, 0, 255},
        {145, 54, 34, 0, 255, 0}, {41, 240, 110, 255, 0, 0},      {0, 0, 0, 0, 135, 0},
    };
    for (const auto& c : cases) {
        const Bytes bgr = convert(Bytes(4, c.y), {c.cb}, {c.cr}, 4);
        for (std::size_t x = 0; x < 4; ++x) {
            EXPECT_NEAR(bgr[x * 3], c.b, 2) << int(c.y) << "/" << int(c.cb) << "/" << int(c.cr);
            EXPECT_NEAR(bgr[x * 3 + 1], c.g, 2) << int(c.y) << "/" << int(c.cb) << "/" << int(c.cr);
            EXPECT_NEAR(bgr[x * 3 + 2], c.r, 2) << int(c.y) << "/" << int(c.cb) << "/" << int(c.cr);
        }
    }
}

TEST(CpuFeatures, MmxTestAgreesWithTheCompilersOwnProbe)
{
#if defined(__x86_64__) || defined(__i386__)
    EXPECT_EQ(CheckMMXTechnology(), bool(__builtin_cpu_supports("mmx")));
#else
    EXPECT_FALSE(CheckMMXTechnology());
#endif
}

}  // namespace
}  // namespace qm::morvax
