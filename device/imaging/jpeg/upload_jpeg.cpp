#include "device/imaging/jpeg/upload_jpeg.h"

#include <array>
#include <new>

#include "device/imaging/dib.h"
#include "device/imaging/jpeg/byte_sink.h"
#include "device/imaging/jpeg/colour_planes.h"
#include "device/imaging/jpeg/forward_dct.h"
#include "device/imaging/jpeg/huffman_coder.h"
#include "device/imaging/jpeg/jpeg_tables.h"
#include "device/imaging/raw_thumbnail.h"

namespace qm::device::imaging {

namespace {

constexpr std::uint8_t kJfifStart[kJfifStartSize] = {
    0xFF, 0xD8,                    // start of image
    0xFF, 0xE0, 0x00, 0x10,        // APP0, 16 bytes
    'J',  'F',  'I',  'F',  0x00,  //
    0x01, 0x01,                    // version 1.1
    0x01,                          // density in dots per inch
    0x00, 0x48, 0x00, 0x48,        // 72 x 72
    0x00, 0x00,                    // no embedded thumbnail
};

constexpr std::uint8_t kFrameHeader[] = {
    0xFF, 0xC0, 0x00, 0x11,  // baseline frame, 17 bytes
    0x08,                    // 8-bit samples
    0x01, 0xE0,              // 480 lines
    0x02, 0x80,              // 640 samples per line
    0x03,                    // 3 components:
    0x01, 0x21, 0x00,        //   Y  2 x 1, table 0
    0x02, 0x11, 0x01,        //   Cb 1 x 1, table 1
    0x03, 0x11, 0x01,        //   Cr 1 x 1, table 1
};
static_assert(sizeof kFrameHeader == 19);

// The camera's own segment around the raw thumbnail.
constexpr std::uint8_t kRawThumbnailSegmentStart[] = {0xFF, 0xE0, 0x25, 0x8F, 0x19, 0x68, 0x12, 0x16, 0x00};
constexpr std::uint8_t kRawThumbnailSegmentEnd[] = {0x10, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
static_assert(sizeof kRawThumbnailSegmentStart + kRawThumbnailSize + sizeof kRawThumbnailSegmentEnd ==
              kRawThumbnailSegmentSize);

constexpr std::uint8_t kScanHeader[] = {
    0xFF, 0xDA, 0x00, 0x0C,  // start of scan, 12 bytes
    0x03,                    // 3 components:
    0x01, 0x00,              //   Y  DC 0 / AC 0
    0x02, 0x11,              //   Cb DC 1 / AC 1
    0x03, 0x11,              //   Cr DC 1 / AC 1
    0x00, 0x3F, 0x00,        // coefficients 0..63, no successive approximation
};
static_assert(sizeof kScanHeader == 14);

constexpr std::uint8_t kEndOfImage[] = {0xFF, 0xD9};

constexpr std::uint8_t kDefineQuantisation = 0xDB;
constexpr std::uint8_t kDefineHuffman = 0xC4;

void putMarker(ByteSink& sink, std::uint8_t marker)
{
    sink.put(0xFF);
    sink.put(marker);
}

void putQuantisationTable(ByteSink& sink, std::uint8_t id, const QuantisationTable& table)
{
    putMarker(sink, kDefineQuantisation);
    sink.putBe16(2 + 1 + 64);
    sink.put(id);  // 8-bit values
    sink.put(table);
}

void putHuffmanTable(ByteSink& sink, std::uint8_t classAndId, const HuffmanTable& table)
{
    putMarker(sink, kDefineHuffman);
    sink.putBe16(std::uint16_t(2 + 1 + table.counts.size() + table.symbols.size()));
    sink.put(classAndId);
    sink.put(table.counts);
    sink.put(table.symbols);
}

bool encodePlaneBlock(const std::int16_t* samples, std::size_t stride, const QuantisationTable& table,
                      ComponentCoder& coder, BitWriter& writer)
{
    CoefficientBlock coefficients;
    CoefficientBlock zigzag;
    forwardDct(samples, stride, coefficients);
    quantiseZigzag(coefficients, table, zigzag);
    return encodeBlock(zigzag, coder, writer);
}

// Minimum coded units of Y left, Y right, Cb, Cr, 40 across and 60 down.
bool encodeScan(const ColourPlanes& planes, ByteSink& sink)
{
    static const HuffmanCodes dcLuminance = HuffmanCodes::from(kDcLuminanceHuffman);
    static const HuffmanCodes acLuminance = HuffmanCodes::from(kAcLuminanceHuffman);
    static const HuffmanCodes dcChrominance = HuffmanCodes::from(kDcChrominanceHuffman);
    static const HuffmanCodes acChrominance = HuffmanCodes::from(kAcChrominanceHuffman);
    ComponentCoder y{dcLuminance, acLuminance};
    ComponentCoder cb{dcChrominance, acChrominance};
    ComponentCoder cr{dcChrominance, acChrominance};
    BitWriter writer(sink);

    constexpr std::size_t kUnitsAcross = kUploadWidth / 16;
    constexpr std::size_t kUnitsDown = kUploadHeight / 8;
    for (std::size_t row = 0; row < kUnitsDown; ++row) {
        const std::int16_t* luminance = planes.luminance.data() + row * 8 * kUploadWidth;
        const std::int16_t* blue = planes.blue.data() + row * 8 * kChromaWidth;
        const std::int16_t* red = planes.red.data() + row * 8 * kChromaWidth;
        for (std::size_t unit = 0; unit < kUnitsAcross; ++unit) {
            if (!encodePlaneBlock(luminance + unit * 16, kUploadWidth, kLuminanceQuantisation, y, writer) ||
                !encodePlaneBlock(luminance + unit * 16 + 8, kUploadWidth, kLuminanceQuantisation, y, writer) ||
                !encodePlaneBlock(blue + unit * 8, kChromaWidth, kChrominanceQuantisation, cb, writer) ||
                !encodePlaneBlock(red + unit * 8, kChromaWidth, kChrominanceQuantisation, cr, writer))
                return false;
        }
        if (sink.overflowed())
            return false;
    }
    writer.flush();
    return true;
}

}  // namespace

std::optional<std::size_t> encodeUploadJpeg(std::span<const std::uint8_t> dib, std::span<std::uint8_t> out)
{
    const auto geometry = readDibGeometry(dib);
    if (!geometry || geometry->width != std::size_t(kUploadWidth) || geometry->height != std::size_t(kUploadHeight))
        return std::nullopt;
    const std::uint8_t* rows = dib.data() + kDibHeaderSize;

    // Everything is taken from the picture before `out`, which may share its
    // memory, is written.
    std::array<std::uint8_t, kRawThumbnailSize> rawThumbnail;
    sampleRawThumbnail(rows, geometry->stride, rawThumbnail);
    ColourPlanes planes;
    try {
        planes = convertToPlanes(rows, geometry->stride);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }

    ByteSink sink(out);
    sink.put(kJfifStart);
    putQuantisationTable(sink, 0, kLuminanceQuantisation);
    putQuantisationTable(sink, 1, kChrominanceQuantisation);
    sink.put(kFrameHeader);
    putHuffmanTable(sink, 0x00, kDcLuminanceHuffman);
    putHuffmanTable(sink, 0x10, kAcLuminanceHuffman);
    putHuffmanTable(sink, 0x01, kDcChrominanceHuffman);
    putHuffmanTable(sink, 0x11, kAcChrominanceHuffman);
    sink.put(kRawThumbnailSegmentStart);
    sink.put(rawThumbnail);
    sink.put(kRawThumbnailSegmentEnd);
    sink.put(kScanHeader);
    if (!encodeScan(planes, sink))
        return std::nullopt;
    sink.put(kEndOfImage);
    if (sink.overflowed())
        return std::nullopt;
    return sink.size();
}

}  // namespace qm::device::imaging
