#include "platform/ui/gdi/bmp_codec.h"

#include "platform/system/byte_order.h"

namespace qm::ui::detail {
namespace {

using qm::sys::readLe16;
using qm::sys::readLe32;

constexpr int kMaxSide = 16384;

bool fail(std::string* error, const char* what)
{
    if (error)
        *error = what;
    return false;
}

}  // namespace

std::optional<DibLayout> parseDibHeader(const std::uint8_t* data, std::size_t size, std::string* error)
{
    if (data == nullptr || size < 40) {
        fail(error, "bitmap header shorter than 40 bytes");
        return std::nullopt;
    }
    const std::uint32_t headerSize = readLe32(data);
    if (headerSize < 40 || headerSize > size) {
        fail(error, "bitmap header size out of range");
        return std::nullopt;
    }
    DibLayout d;
    const auto width = std::int32_t(readLe32(data + 4));
    const auto height = std::int32_t(readLe32(data + 8));
    const std::uint16_t planes = readLe16(data + 12);
    d.bitCount = readLe16(data + 14);
    const std::uint32_t compression = readLe32(data + 16);
    std::uint32_t coloursUsed = readLe32(data + 32);
    if (planes != 1 || compression != 0) {
        fail(error, "only uncompressed single-plane bitmaps are supported");
        return std::nullopt;
    }
    if (d.bitCount != 1 && d.bitCount != 4 && d.bitCount != 8 && d.bitCount != 24 && d.bitCount != 32) {
        fail(error, "unsupported bits per pixel");
        return std::nullopt;
    }
    if (width <= 0 || width > kMaxSide || height == 0 || height < -kMaxSide || height > kMaxSide) {
        fail(error, "bitmap size out of range");
        return std::nullopt;
    }
    d.width = width;
    d.topDown = height < 0;
    d.height = height < 0 ? -height : height;
    d.stride = ((std::size_t(width) * std::size_t(d.bitCount) + 31) / 32) * 4;
    std::size_t paletteEntries = 0;
    if (d.bitCount <= 8) {
        const std::uint32_t maxEntries = 1u << d.bitCount;
        paletteEntries = coloursUsed == 0 ? maxEntries : coloursUsed;
        if (paletteEntries > maxEntries) {
            fail(error, "colour table larger than the pixel format allows");
            return std::nullopt;
        }
    }
    d.headerBytes = headerSize + paletteEntries * 4;
    if (d.headerBytes > size) {
        fail(error, "colour table cut short");
        return std::nullopt;
    }
    for (std::size_t i = 0; i < paletteEntries; ++i) {
        const std::uint8_t* q = data + headerSize + i * 4;
        d.palette.push_back(RGB(q[2], q[1], q[0]));
    }
    return d;
}

COLORREF dibPixel(const DibLayout& d, const std::uint8_t* bits, int x, int y)
{
    const int storedRow = d.topDown ? y : d.height - 1 - y;
    const std::uint8_t* row = bits + std::size_t(storedRow) * d.stride;
    auto fromPalette = [&](unsigned index) -> COLORREF {
        return index < d.palette.size() ? d.palette[index] : 0;
    };
    switch (d.bitCount) {
    case 1: return fromPalette((row[x / 8] >> (7 - x % 8)) & 1);
    case 4: return fromPalette((row[x / 2] >> (x % 2 ? 0 : 4)) & 0xF);
    case 8: return fromPalette(row[x]);
    case 24: {
        const std::uint8_t* p = row + std::size_t(x) * 3;
        return RGB(p[2], p[1], p[0]);
    }
    default: {
        const std::uint8_t* p = row + std::size_t(x) * 4;
        return RGB(p[2], p[1], p[0]);
    }
    }
}

std::optional<Surface> decodeDib(const DibLayout& d, const std::uint8_t* bits, std::size_t bitsSize)
{
    if (bits == nullptr || bitsSize < d.imageBytes())
        return std::nullopt;
    Surface s(d.width, d.height);
    for (int y = 0; y < d.height; ++y) {
        std::uint8_t* out = s.row(y);
        if (d.bitCount == 24) {
            const int storedRow = d.topDown ? y : d.height - 1 - y;
            const std::uint8_t* in = bits + std::size_t(storedRow) * d.stride;
            std::copy(in, in + std::size_t(d.width) * 3, out);
            continue;
        }
        for (int x = 0; x < d.width; ++x)
            s.setPixel(x, y, dibPixel(d, bits, x, y));
    }
    return s;
}

std::optional<Surface> decodeBmpFile(const std::uint8_t* data, std::size_t size, std::string* error)
{
    if (data == nullptr || size < 14 + 40 || data[0] != 'B' || data[1] != 'M') {
        fail(error, "not a BMP file");
        return std::nullopt;
    }
    const std::uint32_t bitsOffset = readLe32(data + 10);
    auto layout = parseDibHeader(data + 14, size - 14, error);
    if (!layout)
        return std::nullopt;
    if (bitsOffset < 14 + layout->headerBytes || bitsOffset > size ||
        size - bitsOffset < layout->imageBytes()) {
        fail(error, "pixel data cut short");
        return std::nullopt;
    }
    return decodeDib(*layout, data + bitsOffset, size - bitsOffset);
}

}  // namespace qm::ui::detail
