// The header in front of the camera's scan data: quantisation scaling, the
// device-start template byte for byte, the per-frame patch, the greyscale
// form. The standard tables are checked against what the JPEG library
// itself writes for its default tables, not against our own copy.
#include "videodriver/jpeg/jpeg_header.h"
#include "videodriver/jpeg/jpeg_tables.h"
#include "tests/videodriver/jpeg/camera_frames.h"

#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <map>
#include <vector>

namespace qm::morvax {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The segments of a JPEG written by the library at quality 50, whose tables
// are the Annex K examples unscaled. Each DQT and DHT payload is kept in the
// order written: DQT 0, DQT 1; DHT DC 0, AC 0, DC 1, AC 1.
struct LibraryTables {
    Bytes luminance, chrominance;  // zig-zag order
    Bytes huffman;                 // the four tables one after another
};

LibraryTables libraryTables()
{
    std::vector<std::uint8_t> rgb(16 * 16 * 3, 100);
    tjhandle handle = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    tjCompress2(handle, rgb.data(), 16, 0, 16, TJPF_RGB, &jpeg, &size, TJSAMP_420, 50, 0);
    tjDestroy(handle);
    const Bytes file(jpeg, jpeg + size);
    tjFree(jpeg);

    LibraryTables tables;
    std::size_t at = 2;
    while (at + 4 <= file.size() && file[at + 1] != 0xDA) {
        const std::size_t end = test::segmentEnd(file, at);
        if (file[at + 1] == 0xDB) {
            for (std::size_t p = at + 4; p < end; p += 65)
                (file[p] == 0 ? tables.luminance : tables.chrominance).assign(&file[p + 1], &file[p + 65]);
        } else if (file[at + 1] == 0xC4) {
            tables.huffman.insert(tables.huffman.end(), &file[at + 4], &file[end]);
        }
        at = end;
    }
    return tables;
}

Bytes templateHeader()
{
    Bytes header(kJpegTemplateSize, 0xEE);
    EXPECT_TRUE(generateJpegHeaderTemplate(header));
    return header;
}

Bytes slice(const Bytes& bytes, std::size_t from, std::size_t count)
{
    return Bytes(bytes.begin() + std::ptrdiff_t(from), bytes.begin() + std::ptrdiff_t(from + count));
}

TEST(QuantScaling, QualitySixtyFourGivesTheAnnexKTablesAsTheLibraryWritesThem)
{
    const LibraryTables library = libraryTables();
    const QuantTable luminance = scaleQuantTable(kLuminanceQuantBase, 64);
    const QuantTable chrominance = scaleQuantTable(kChrominanceQuantBase, 64);
    EXPECT_EQ(Bytes(luminance.begin(), luminance.end()), library.luminance);
    EXPECT_EQ(Bytes(chrominance.begin(), chrominance.end()), library.chrominance);
}

TEST(QuantScaling, QualityOneGivesOneBelowNinetySixAndTwoFromThere)
{
    for (const QuantTable* base : {&kLuminanceQuantBase, &kChrominanceQuantBase}) {
        const QuantTable scaled = scaleQuantTable(*base, 1);
        for (std::size_t i = 0; i < 64; ++i)
            EXPECT_EQ(scaled[i], (*base)[i] >= 96 ? 2 : 1) << "entry " << i << " base " << int((*base)[i]);
    }
}

TEST(QuantScaling, QualityOneHundredTwentySevenRoundsAndStaysBelowTheClamp)
{
    const QuantTable luminance = scaleQuantTable(kLuminanceQuantBase, 127);
    EXPECT_EQ(luminance[0], 32);   // 16 x 127 = 2032 -> 32.25
    EXPECT_EQ(luminance[1], 22);   // 11 x 127 = 1397 -> 21.8
    EXPECT_EQ(luminance[56], 240); // the largest base, 121 -> 240.1
    for (std::size_t i = 0; i < 64; ++i)
        EXPECT_EQ(luminance[i], (kLuminanceQuantBase[i] * 127 + 32) / 64);
    const QuantTable chrominance = scaleQuantTable(kChrominanceQuantBase, 127);
    EXPECT_EQ(chrominance[0], 34);
    EXPECT_EQ(chrominance[63], 196);
}

TEST(QuantScaling, NoQualityByteGivesAZeroOrWrappedEntry)
{
    // Q = 248 puts base 66 at 16,368: rounding would make 256, which a byte
    // stores as 0.
    EXPECT_EQ(scaleQuantTable(kChrominanceQuantBase, 248)[11], 255);
    for (unsigned q = 0; q < 256; ++q)
        for (const QuantTable* base : {&kLuminanceQuantBase, &kChrominanceQuantBase}) {
            const QuantTable scaled = scaleQuantTable(*base, q);
            for (std::size_t i = 0; i < 64; ++i) {
                ASSERT_GE(scaled[i], 1) << "Q " << q;
                if ((*base)[i] * q / 64 >= 256) {
                    ASSERT_EQ(scaled[i], 255) << "Q " << q;
                }
            }
        }
}

TEST(JpegHeaderTemplate, DeviceStartTemplateIsLaidOutByteForByte)
{
    const Bytes header = templateHeader();
    const LibraryTables library = libraryTables();

    Bytes expected = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x16, 'A', 'V', 'I', '1', 0, 0,
                      // field size 15,906 + 613 = 16,519
                      0x00, 0x00, 0x40, 0x87, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                      0xFF, 0xDB, 0x00, 0x84, 0x00};
    const QuantTable luminance = scaleQuantTable(kLuminanceQuantBase, 7);
    expected.insert(expected.end(), luminance.begin(), luminance.end());
    expected.push_back(0x01);
    const QuantTable chrominance = scaleQuantTable(kChrominanceQuantBase, 7);
    expected.insert(expected.end(), chrominance.begin(), chrominance.end());
    const Bytes frame = {0xFF, 0xC0, 0x00, 0x11, 0x08, 0x01, 0xE0, 0x02, 0x80, 0x03,
                         0x01, 0x41, 0x00, 0x02, 0x11, 0x01, 0x03, 0x11, 0x01, 0xFF, 0xC4, 0x01, 0xA2};
    expected.insert(expected.end(), frame.begin(), frame.end());
    expected.insert(expected.end(), library.huffman.begin(), library.huffman.end());
    const Bytes scan = {0xFF, 0xDA, 0x00, 0x0C, 0x03, 0x01, 0x00, 0x02, 0x11, 0x03, 0x11, 0x00, 0x3F, 0x00};
    expected.insert(expected.end(), scan.begin(), scan.end());

    ASSERT_EQ(expected.size(), kJpegTemplateSize);
    EXPECT_EQ(header, expected);
    EXPECT_EQ(slice(header, kScanHeaderOffset, kScanHeaderSize), scan);
    // Quality 7: base 16 -> (112 + 32) / 64 = 2; base 121 -> 13.
    EXPECT_EQ(header[kLuminanceTableOffset], 2);
    EXPECT_EQ(header[kLuminanceTableOffset + 56], 13);
}

TEST(JpegHeaderTemplate, VgaFramesKeepTheTemplateSizeAndSmallerFramesRewriteIt)
{
    Bytes vga = templateHeader();
    ASSERT_TRUE(ModifyJPEGHeader(vga, 480, 640, 64, 30000, kSampling411));
    EXPECT_EQ(slice(vga, kFrameHeightOffset, 4), (Bytes{0x01, 0xE0, 0x02, 0x80}));
    EXPECT_EQ(vga[171], 0x41);

    Bytes sif = templateHeader();
    ASSERT_TRUE(ModifyJPEGHeader(sif, 240, 320, 64, 12000, kSampling411));
    EXPECT_EQ(slice(sif, kFrameHeightOffset, 4), (Bytes{0x00, 0xF0, 0x01, 0x40}));
    // Field size 12,000 + 613 = 12,613 = 0x3145; both tables now Annex K.
    EXPECT_EQ(slice(sif, kAvi1FieldSizeOffset, 4), (Bytes{0x00, 0x00, 0x31, 0x45}));
    const LibraryTables library = libraryTables();
    EXPECT_EQ(slice(sif, kLuminanceTableOffset, 64), library.luminance);
    EXPECT_EQ(slice(sif, kChrominanceTableOffset, 64), library.chrominance);
    // Everything outside the patched fields is the template's.
    const Bytes original = templateHeader();
    for (std::size_t i = 0; i < kJpegTemplateSize; ++i) {
        const bool patched = (i >= kAvi1FieldSizeOffset && i < kAvi1FieldSizeOffset + 4) ||
                             (i >= kLuminanceTableOffset && i < kLuminanceTableOffset + 64) ||
                             (i >= kChrominanceTableOffset && i < kChrominanceTableOffset + 64) ||
                             (i >= kFrameHeightOffset && i < kFrameHeightOffset + 4);
        if (!patched) {
            EXPECT_EQ(sif[i], original[i]) << "offset " << i;
        }
    }

    // Patched back to 640 x 480, the same header describes VGA again.
    ASSERT_TRUE(ModifyJPEGHeader(sif, 480, 640, 64, 30000, kSampling411));
    EXPECT_EQ(slice(sif, kFrameHeightOffset, 4), (Bytes{0x01, 0xE0, 0x02, 0x80}));
}

TEST(JpegHeaderTemplate, SamplingTypeSetsComponentOneOnly)
{
    const std::map<unsigned, std::uint8_t> expected = {{3, 0x41}, {2, 0x21}, {1, 0x11}, {0, 0x11}, {7, 0x11}};
    for (const auto& [type, sampling] : expected) {
        Bytes header = templateHeader();
        ASSERT_TRUE(ModifyJPEGHeader(header, 120, 160, 64, 1000, type));
        EXPECT_EQ(slice(header, 170, 3), (Bytes{0x01, sampling, 0x00})) << "type " << type;
        EXPECT_EQ(slice(header, 173, 6), (Bytes{0x02, 0x11, 0x01, 0x03, 0x11, 0x01}));
    }
}

TEST(JpegHeaderTemplate, FieldSizeOfLargeFramesIsWrittenWhole)
{
    Bytes header = templateHeader();
    // A 640 x 480 frame can carry up to 262,142 bytes of scan data.
    ASSERT_TRUE(ModifyJPEGHeader(header, 480, 640, 127, 200000, kSampling411));
    EXPECT_EQ(slice(header, kAvi1FieldSizeOffset, 4), (Bytes{0x00, 0x03, 0x0F, 0xA5}));  // 200,613
}

TEST(JpegHeaderTemplate, QualityAndPictureFieldsOfTheAvi1Segment)
{
    Bytes header = templateHeader();
    setJpegHeaderQuality(header, 48);
    setJpegHeaderPicture(header, 0x0123, 0x0045);
    EXPECT_EQ(slice(header, 16, 10), (Bytes{0, 0, 0, 48, 0x01, 0x23, 0x00, 0x45, 0, 0}));
}

TEST(JpegHeader, RefusesBuffersTooSmallAndSizesAFrameHeaderCannotHold)
{
    Bytes small(kJpegTemplateSize - 1, 0xEE);
    std::uint32_t length = 99;
    EXPECT_FALSE(generateJPEGHeader(small, &length, 480, 640, false, 64, 100, kSampling411));
    EXPECT_FALSE(ModifyJPEGHeader(small, 480, 640, 64, 100, kSampling411));
    EXPECT_EQ(length, 99u);
    EXPECT_TRUE(std::all_of(small.begin(), small.end(), [](std::uint8_t b) { return b == 0xEE; }));

    Bytes header(kJpegTemplateSize);
    EXPECT_FALSE(generateJPEGHeader(header, &length, 0, 640, false, 64, 100, kSampling411));
    EXPECT_FALSE(generateJPEGHeader(header, &length, 480, 70000, false, 64, 100, kSampling411));
    EXPECT_FALSE(ModifyJPEGHeader(header, 65536, 640, 64, 100, kSampling411));
    Bytes grey(kJpegGreyHeaderSize - 1);
    EXPECT_FALSE(generateJPEGHeader(grey, &length, 480, 640, true, 64, 100, 0));
}

TEST(JpegHeader, GreyscaleFormCarriesOneTableOneComponentAndTheLuminanceCodes)
{
    Bytes header(kJpegTemplateSize, 0xEE);
    std::uint32_t length = 0;
    ASSERT_TRUE(generateJPEGHeader(header, &length, 120, 160, true, 64, 5000, kSampling411));
    ASSERT_EQ(length, kJpegGreyHeaderSize);
    EXPECT_EQ(header[length], 0xEE);  // nothing written behind it
    header.resize(length);

    EXPECT_EQ(slice(header, 12, 4), (Bytes{0x00, 0x00, 0x14, 0xD2}));  // 5,000 + 330
    EXPECT_EQ(slice(header, 26, 5), (Bytes{0xFF, 0xDB, 0x00, 0x43, 0x00}));
    const LibraryTables library = libraryTables();
    EXPECT_EQ(slice(header, 31, 64), library.luminance);
    EXPECT_EQ(slice(header, 95, 13),
              (Bytes{0xFF, 0xC0, 0x00, 0x0B, 0x08, 0x00, 0x78, 0x00, 0xA0, 0x01, 0x01, 0x11, 0x00}));
    EXPECT_EQ(slice(header, 108, 4), (Bytes{0xFF, 0xC4, 0x00, 0xD2}));
    EXPECT_EQ(slice(header, 112, 208), slice(library.huffman, 0, 208));
    EXPECT_EQ(slice(header, 320, 10), (Bytes{0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00}));
}

TEST(JpegHeader, GreyscaleHeaderMakesAGreyScanDecodable)
{
    // A greyscale picture from the library at quality 50 (Annex K table),
    // its scan put behind our greyscale header at Q = 64.
    std::vector<std::uint8_t> grey(64 * 48);
    for (std::size_t i = 0; i < grey.size(); ++i)
        grey[i] = std::uint8_t((i * 7) % 251);
    tjhandle compressor = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    ASSERT_EQ(tjCompress2(compressor, grey.data(), 64, 0, 48, TJPF_GRAY, &jpeg, &size, TJSAMP_GRAY, 50, 0), 0);
    tjDestroy(compressor);
    const Bytes original(jpeg, jpeg + size);
    tjFree(jpeg);
    std::size_t at = 2;
    while (original[at + 1] != 0xDA)
        at = test::segmentEnd(original, at);
    const Bytes scan(original.begin() + std::ptrdiff_t(test::segmentEnd(original, at)), original.end());

    Bytes ours(kJpegGreyHeaderSize);
    std::uint32_t length = 0;
    ASSERT_TRUE(generateJPEGHeader(ours, &length, 48, 64, true, 64, std::uint32_t(scan.size()), 0));
    ours.insert(ours.end(), scan.begin(), scan.end());

    tjhandle decompressor = tjInitDecompress();
    std::vector<std::uint8_t> expected(grey.size()), actual(grey.size());
    ASSERT_EQ(tjDecompress2(decompressor, original.data(), original.size(), expected.data(), 64, 0, 48, TJPF_GRAY,
                            TJFLAG_STOPONWARNING),
              0);
    ASSERT_EQ(tjDecompress2(decompressor, ours.data(), ours.size(), actual.data(), 64, 0, 48, TJPF_GRAY,
                            TJFLAG_STOPONWARNING),
              0)
        << tjGetErrorStr2(decompressor);
    tjDestroy(decompressor);
    EXPECT_EQ(actual, expected);
}

}  // namespace
}  // namespace qm::morvax
