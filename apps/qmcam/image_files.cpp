#include "apps/qmcam/image_files.h"

#include <png.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/system/byte_order.h"
#include "platform/system/files.h"

namespace qm::qmcam {
namespace {

constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::size_t kFileHeaderSize = 14;
constexpr int kMaxSide = 1 << 15;

void appendToVector(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void flushNothing(png_structp) {}

}  // namespace

std::optional<DibLayout> dibLayout(std::span<const std::uint8_t> dib)
{
    if (dib.size() < kInfoHeaderSize)
        return std::nullopt;
    const std::uint8_t* header = dib.data();
    const auto width = std::int32_t(sys::readLe32(header + 4));
    const auto height = std::int32_t(sys::readLe32(header + 8));
    if (sys::readLe32(header) != kInfoHeaderSize || sys::readLe16(header + 12) != 1 ||
        sys::readLe16(header + 14) != 24 || sys::readLe32(header + 16) != 0)
        return std::nullopt;
    if (width <= 0 || width > kMaxSide || height == 0 || height < -kMaxSide || height > kMaxSide)
        return std::nullopt;
    DibLayout layout;
    layout.width = width;
    layout.height = std::abs(height);
    layout.bottomUp = height > 0;
    layout.stride = (std::size_t(width) * 3 + 3) / 4 * 4;
    layout.size = kInfoHeaderSize + layout.stride * std::size_t(layout.height);
    if (layout.size > dib.size())
        return std::nullopt;
    return layout;
}

std::optional<RgbImage> imageFromDib(std::span<const std::uint8_t> dib)
{
    const std::optional<DibLayout> layout = dibLayout(dib);
    if (!layout)
        return std::nullopt;
    RgbImage image{layout->width, layout->height, {}};
    image.rgb.resize(std::size_t(image.width) * image.height * 3);
    for (int y = 0; y < image.height; ++y) {
        const int row = layout->bottomUp ? image.height - 1 - y : y;
        const std::uint8_t* source = dib.data() + kInfoHeaderSize + layout->stride * std::size_t(row);
        std::uint8_t* target = image.rgb.data() + std::size_t(y) * image.width * 3;
        for (int x = 0; x < image.width; ++x) {
            target[3 * x] = source[3 * x + 2];
            target[3 * x + 1] = source[3 * x + 1];
            target[3 * x + 2] = source[3 * x];
        }
    }
    return image;
}

bool writeBmpFile(const std::string& path, std::span<const std::uint8_t> dib)
{
    const std::optional<DibLayout> layout = dibLayout(dib);
    if (!layout)
        return false;
    std::vector<std::uint8_t> file(kFileHeaderSize + layout->size);
    file[0] = 'B';
    file[1] = 'M';
    sys::writeLe32(file.data() + 2, std::uint32_t(file.size()));
    sys::writeLe32(file.data() + 10, std::uint32_t(kFileHeaderSize + kInfoHeaderSize));
    std::memcpy(file.data() + kFileHeaderSize, dib.data(), layout->size);
    return sys::writeFileAtomically(path, file);
}

bool writePngFile(const std::string& path, const RgbImage& image)
{
    if (image.width <= 0 || image.height <= 0 ||
        image.rgb.size() < std::size_t(image.width) * image.height * 3)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr)
        return false;
    png_infop info = png_create_info_struct(png);
    std::vector<std::uint8_t> encoded;
    std::vector<png_bytep> rows(image.height);
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &encoded, &appendToVector, &flushNothing);
    png_set_IHDR(png, info, png_uint_32(image.width), png_uint_32(image.height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    for (int y = 0; y < image.height; ++y)
        rows[y] = const_cast<png_bytep>(image.rgb.data() + std::size_t(y) * image.width * 3);
    png_set_rows(png, info, rows.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return sys::writeFileAtomically(path, encoded);
}

void blit(RgbImage& sheet, const RgbImage& tile, int x, int y)
{
    for (int row = 0; row < tile.height; ++row) {
        const int targetY = y + row;
        if (targetY < 0 || targetY >= sheet.height)
            continue;
        const int first = std::max(0, -x);
        const int last = std::min(tile.width, sheet.width - x);
        if (first >= last)
            continue;
        std::memcpy(sheet.rgb.data() + (std::size_t(targetY) * sheet.width + x + first) * 3,
                    tile.rgb.data() + (std::size_t(row) * tile.width + first) * 3, std::size_t(last - first) * 3);
    }
}

}  // namespace qm::qmcam
