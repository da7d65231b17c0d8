#include "device/imaging/jpeg/upload_jpeg.h"

#include <array>
#include <memory>
#include <new>
#include <vector>

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

// Reads the picture's rows one row of minimum coded units at a time and codes
// the units Y left, Y right, Cb, Cr, 40 across and 60 down.
class ScanEncoder {
public:
    bool encode(const std::uint8_t* bottomUpRows, std::size_t stride, BitWriter& writer)
    {
        static const HuffmanCodes dcLuminance = HuffmanCodes::from(kDcLuminanceHuffman);
        static const HuffmanCodes acLuminance = HuffmanCodes::from(kAcLuminanceHuffman);
        static const HuffmanCodes dcChrominance = HuffmanCodes::from(kDcChrominanceHuffman);
        static const HuffmanCodes acChrominance = HuffmanCodes::from(kAcChrominanceHuffman);
        static const QuantisationDivisors luminanceDivisors = QuantisationDivisors::from(kLuminanceQuantisation);
        static const QuantisationDivisors chrominanceDivisors = QuantisationDivisors::from(kChrominanceQuantisation);
        ComponentCoder y{dcLuminance, acLuminance};
        ComponentCoder cb{dcChrominance, acChrominance};
        ComponentCoder cr{dcChrominance, acChrominance};

        for (std::size_t row = 0; row < kUnitsDown; ++row) {
            convertMcuRow(bottomUpRows, stride, row * kMcuRows, planes_);
            transformBlocks(planes_.luminance.data(), kUploadWidth, 2 * kUnitsAcross, luminanceDivisors,
                            luminance_.data());
            transformBlocks(planes_.blue.data(), kChromaWidth, kUnitsAcross, chrominanceDivisors, blue_.data());
            transformBlocks(planes_.red.data(), kChromaWidth, kUnitsAcross, chrominanceDivisors, red_.data());
            for (std::size_t unit = 0; unit < kUnitsAcross; ++unit) {
                if (!encodeBlock(luminance_[2 * unit], y, writer) || !encodeBlock(luminance_[2 * unit + 1], y, writer) ||
                    !encodeBlock(blue_[unit], cb, writer) || !encodeBlock(red_[unit], cr, writer))
                    return false;
            }
            if (writer.overflowed())
                return false;
        }
        writer.flush();
        return !writer.overflowed();
    }

private:
    static constexpr std::size_t kUnitsAcross = kUploadWidth / 16;
    static constexpr std::size_t kUnitsDown = kUploadHeight / 8;

    McuRowPlanes planes_;
    std::array<QuantisedBlock, 2 * kUnitsAcross> luminance_;
    std::array<QuantisedBlock, kUnitsAcross> blue_;
    std::array<QuantisedBlock, kUnitsAcross> red_;
};

bool overlaps(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b)
{
    const auto begin = [](auto span) { return reinterpret_cast<std::uintptr_t>(span.data()); };
    return !a.empty() && !b.empty() && begin(a) < begin(b) + b.size() && begin(b) < begin(a) + a.size();
}

}  // namespace

std::optional<std::size_t> encodeUploadJpeg(std::span<const std::uint8_t> dib, std::span<std::uint8_t> out)
{
    const auto geometry = readDibGeometry(dib);
    if (!geometry || geometry->width != std::size_t(kUploadWidth) || geometry->height != std::size_t(kUploadHeight))
        return std::nullopt;
    const std::uint8_t* rows = dib.data() + kDibHeaderSize;
    const std::size_t rowBytes = geometry->stride * geometry->height;

    // The upload path encodes over the picture's own bitmap file: the rows
    // are then read from a copy, as the JPEG grows over them.
    std::vector<std::uint8_t> copy;
    std::unique_ptr<ScanEncoder> scan;
    try {
        if (overlaps({rows, rowBytes}, out)) {
            copy.assign(rows, rows + rowBytes);
            rows = copy.data();
        }
        scan = std::make_unique<ScanEncoder>();
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    std::array<std::uint8_t, kRawThumbnailSize> rawThumbnail;
    sampleRawThumbnail(rows, geometry->stride, rawThumbnail);

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
    if (sink.overflowed())
        return std::nullopt;

    BitWriter writer(out.data() + sink.size(), out.data() + out.size());
    if (!scan->encode(rows, geometry->stride, writer))
        return std::nullopt;
    const auto scanned = std::size_t(writer.position() - out.data());
    ByteSink end(out.subspan(scanned));
    end.put(kEndOfImage);
    if (end.overflowed())
        return std::nullopt;
    return scanned + end.size();
}

}  // namespace qm::device::imaging
