#include "device/imaging/dib.h"

#include "platform/system/byte_order.h"

namespace qm::device::imaging {

namespace {

// BITMAPINFOHEADER field offsets.
constexpr std::size_t kSizeField = 0;
constexpr std::size_t kWidthField = 4;
constexpr std::size_t kHeightField = 8;
constexpr std::size_t kPlanesField = 12;
constexpr std::size_t kBitCountField = 14;
constexpr std::size_t kCompressionField = 16;
constexpr std::size_t kSizeImageField = 20;
constexpr std::size_t kXPelsField = 24;
constexpr std::size_t kYPelsField = 28;
constexpr std::size_t kClrUsedField = 32;
constexpr std::size_t kClrImportantField = 36;

constexpr std::uint16_t kBitsPerPixel = 24;
constexpr std::uint32_t kNoCompression = 0;  // BI_RGB

// Larger than any camera picture by far, small enough that no size
// computation below can overflow.
constexpr std::size_t kMaxSide = 1u << 15;

}  // namespace

void writeDibHeader(std::span<std::uint8_t> out, std::int32_t width, std::int32_t height,
                    std::int32_t pixelsPerMetre)
{
    if (out.size() < kDibHeaderSize)
        return;
    std::uint8_t* p = out.data();
    sys::writeLe32(p + kSizeField, kDibHeaderSize);
    sys::writeLe32(p + kWidthField, std::uint32_t(width));
    sys::writeLe32(p + kHeightField, std::uint32_t(height));
    sys::writeLe16(p + kPlanesField, 1);
    sys::writeLe16(p + kBitCountField, kBitsPerPixel);
    sys::writeLe32(p + kCompressionField, kNoCompression);
    sys::writeLe32(p + kSizeImageField, 0);
    sys::writeLe32(p + kXPelsField, std::uint32_t(pixelsPerMetre));
    sys::writeLe32(p + kYPelsField, std::uint32_t(pixelsPerMetre));
    sys::writeLe32(p + kClrUsedField, 0);
    sys::writeLe32(p + kClrImportantField, 0);
}

std::optional<DibGeometry> readDibGeometry(std::span<const std::uint8_t> dib)
{
    if (dib.size() < kDibHeaderSize)
        return std::nullopt;
    const std::uint8_t* p = dib.data();
    const auto width = std::int32_t(sys::readLe32(p + kWidthField));
    const auto height = std::int32_t(sys::readLe32(p + kHeightField));
    if (sys::readLe32(p + kSizeField) != kDibHeaderSize || sys::readLe16(p + kPlanesField) != 1 ||
        sys::readLe16(p + kBitCountField) != kBitsPerPixel ||
        sys::readLe32(p + kCompressionField) != kNoCompression || sys::readLe32(p + kClrUsedField) != 0)
        return std::nullopt;
    if (width <= 0 || height <= 0 || std::size_t(width) > kMaxSide || std::size_t(height) > kMaxSide)
        return std::nullopt;
    DibGeometry geometry;
    geometry.width = std::size_t(width);
    geometry.height = std::size_t(height);
    geometry.stride = dibRowStride(geometry.width);
    geometry.size = dibSize(geometry.width, geometry.height);
    if (geometry.size > dib.size())
        return std::nullopt;
    return geometry;
}

}  // namespace qm::device::imaging
