#include "tests/device/imaging/reference/reference_upload_jpeg.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <new>
#include <numbers>
#include <vector>

#include "device/imaging/dib.h"
#include "device/imaging/jpeg/byte_sink.h"
#include "device/imaging/jpeg/jpeg_tables.h"
#include "device/imaging/model_rules.h"
#include "device/imaging/raw_thumbnail.h"

namespace qm::device::imaging::reference {

namespace {

constexpr std::size_t kChromaWidth = kUploadWidth / 2;

// --- colour planes -------------------------------------------------------

std::int16_t blueDifference(int r, int g, int b) { return std::int16_t(-0.168736 * r - 0.331264 * g + 0.5 * b); }
std::int16_t redDifference(int r, int g, int b) { return std::int16_t(0.5 * r - 0.418688 * g - 0.081312 * b); }

// Halves a full-width chroma plane: each horizontal pair becomes its sum
// shifted right by one.
void subsample(const std::vector<std::int16_t>& full, std::vector<std::int16_t>& half)
{
    for (std::size_t i = 0; i < half.size(); ++i)
        half[i] = std::int16_t((full[2 * i] + full[2 * i + 1]) >> 1);
}


struct ColourPlanes {
    std::vector<std::int16_t> luminance;
    std::vector<std::int16_t> blue;
    std::vector<std::int16_t> red;
};

ColourPlanes convertToPlanes(const std::uint8_t* bottomUpRows, std::size_t stride)
{
    constexpr std::size_t width = kUploadWidth;
    constexpr std::size_t height = kUploadHeight;
    ColourPlanes planes;
    planes.luminance.resize(width * height);
    planes.blue.resize(kChromaWidth * height);
    planes.red.resize(kChromaWidth * height);
    // One full-width scratch plane serves Cb and then Cr.
    std::vector<std::int16_t> scratch(width * height);

    for (std::size_t y = 0; y < height; ++y) {
        const std::uint8_t* pixel = bottomUpRows + (height - 1 - y) * stride;
        std::int16_t* luminance = planes.luminance.data() + y * width;
        std::int16_t* blue = scratch.data() + y * width;
        for (std::size_t x = 0; x < width; ++x, pixel += 3) {
            const int b = pixel[0], g = pixel[1], r = pixel[2];
            luminance[x] = std::int16_t(((306 * r + 601 * g + 117 * b) >> 10) - 128);
            blue[x] = blueDifference(r, g, b);
        }
    }
    subsample(scratch, planes.blue);

    for (std::size_t y = 0; y < height; ++y) {
        const std::uint8_t* pixel = bottomUpRows + (height - 1 - y) * stride;
        std::int16_t* red = scratch.data() + y * width;
        for (std::size_t x = 0; x < width; ++x, pixel += 3)
            red[x] = redDifference(pixel[2], pixel[1], pixel[0]);
    }
    subsample(scratch, planes.red);
    return planes;
}

// --- DCT and quantisation ------------------------------------------------
using DctMatrix = std::array<std::array<std::int32_t, 8>, 8>;
using CoefficientBlock = std::array<std::int32_t, 64>;

const DctMatrix& dctMatrix()
{
    static const DctMatrix matrix = [] {
        DctMatrix m{};
        for (int k = 0; k < 8; ++k) {
            const double ck = k == 0 ? 1.0 / (2.0 * std::numbers::sqrt2) : 0.5;
            for (int n = 0; n < 8; ++n)
                m[k][n] = std::int32_t(1024.0 * ck * std::cos((2 * n + 1) * k * std::numbers::pi / 16.0));
        }
        return m;
    }();
    return matrix;
}

void forwardDct(const std::int16_t* samples, std::size_t stride, CoefficientBlock& coefficients)
{
    const DctMatrix& c = dctMatrix();
    // First pass along each row; the result is stored transposed so that the
    // second pass again runs along rows.
    std::int32_t transposed[8][8];
    for (int row = 0; row < 8; ++row) {
        const std::int16_t* in = samples + std::size_t(row) * stride;
        for (int k = 0; k < 8; ++k) {
            std::int32_t sum = 0;
            for (int n = 0; n < 8; ++n)
                sum += c[k][n] * in[n];
            transposed[k][row] = sum >> 10;
        }
    }
    for (int column = 0; column < 8; ++column) {
        const std::int32_t* in = transposed[column];
        for (int k = 0; k < 8; ++k) {
            std::int32_t sum = 0;
            for (int n = 0; n < 8; ++n)
                sum += c[k][n] * in[n];
            coefficients[std::size_t(k) * 8 + std::size_t(column)] = sum >> 10;
        }
    }
}

void quantiseZigzag(const CoefficientBlock& coefficients, const QuantisationTable& table, CoefficientBlock& zigzag)
{
    for (std::size_t i = 0; i < 64; ++i)
        zigzag[i] = (coefficients[kZigzagToNatural[i]] * 1024 / table[i] + 512) >> 10;
}

// --- entropy coding ------------------------------------------------------
struct HuffmanCodes {
    std::array<std::uint16_t, 256> code{};
    std::array<std::uint8_t, 256> length{};
    static HuffmanCodes from(const HuffmanTable& table);
};

class BitWriter {
public:
    explicit BitWriter(ByteSink& sink) : sink_(sink) {}
    // Appends the low `count` bits of `bits` (count at most 24).
    void write(std::uint32_t bits, int count)
    {
        buffer_ = (buffer_ << count) | (bits & ((1u << count) - 1));
        pending_ += count;
        while (pending_ >= 8) {
            pending_ -= 8;
            emit(std::uint8_t(buffer_ >> pending_));
        }
    }
    // Emits the last partial byte with its remaining low bits 0.
    void flush()
    {
        if (pending_ > 0)
            write(0, 8 - pending_);
    }

private:
    void emit(std::uint8_t byte)
    {
        sink_.put(byte);
        if (byte == 0xFF)
            sink_.put(0x00);
    }

    ByteSink& sink_;
    std::uint64_t buffer_ = 0;
    int pending_ = 0;
};

struct ComponentCoder {
    const HuffmanCodes& dc;
    const HuffmanCodes& ac;
    std::int32_t previousDc = 0;
};

constexpr int kMaxDcCategory = 11;
constexpr int kMaxAcCategory = 10;
constexpr std::uint8_t kEndOfBlock = 0x00;
constexpr std::uint8_t kZeroRun16 = 0xF0;

// The number of bits that hold |value|: the coefficient's category.
int categoryOf(std::int32_t value)
{
    return std::bit_width(std::uint32_t(std::abs(value)));
}

// Negative values are sent as value - 1 in their low `category` bits.
std::uint32_t magnitudeBits(std::int32_t value) { return std::uint32_t(value < 0 ? value - 1 : value); }

bool writeSymbol(const HuffmanCodes& codes, std::uint8_t symbol, BitWriter& writer)
{
    if (codes.length[symbol] == 0)
        return false;
    writer.write(codes.code[symbol], codes.length[symbol]);
    return true;
}

HuffmanCodes HuffmanCodes::from(const HuffmanTable& table)
{
    HuffmanCodes codes;
    std::uint32_t code = 0;
    std::size_t next = 0;
    for (int length = 1; length <= 16; ++length) {
        for (int i = 0; i < table.counts[length - 1] && next < table.symbols.size(); ++i, ++next) {
            const std::uint8_t symbol = table.symbols[next];
            codes.code[symbol] = std::uint16_t(code++);
            codes.length[symbol] = std::uint8_t(length);
        }
        code <<= 1;
    }
    return codes;
}

bool encodeBlock(const std::array<std::int32_t, 64>& zigzag, ComponentCoder& component, BitWriter& writer)
{
    const std::int32_t difference = zigzag[0] - component.previousDc;
    component.previousDc = zigzag[0];
    const int dcCategory = categoryOf(difference);
    if (dcCategory > kMaxDcCategory || !writeSymbol(component.dc, std::uint8_t(dcCategory), writer))
        return false;
    if (dcCategory > 0)
        writer.write(magnitudeBits(difference), dcCategory);

    int run = 0;
    for (int k = 1; k < 64; ++k) {
        const std::int32_t value = zigzag[k];
        if (value == 0) {
            ++run;
            continue;
        }
        const int category = categoryOf(value);
        if (category > kMaxAcCategory)
            return false;
        for (; run >= 16; run -= 16) {
            if (!writeSymbol(component.ac, kZeroRun16, writer))
                return false;
        }
        if (!writeSymbol(component.ac, std::uint8_t((run << 4) | category), writer))
            return false;
        writer.write(magnitudeBits(value), category);
        run = 0;
    }
    return run == 0 || writeSymbol(component.ac, kEndOfBlock, writer);
}

// --- the file --------------------------------------------------------------
constexpr std::uint8_t kJfifStart[20] = {
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
              9617);

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

}  // namespace qm::device::imaging::reference
