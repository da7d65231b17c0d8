#include "device/imaging/image.h"

#include <leptonica/allheaders.h>

#include <algorithm>
#include <mutex>
#include <utility>

#include "device/imaging/dib.h"
#include "device/imaging/pixels/unsharp_mask.h"

namespace qm::device::imaging {

namespace {

// The library reports problems on stderr; inside a host application the
// result codes say all the caller needs.
void quietLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { setMsgSeverity(L_SEVERITY_NONE); });
}

bool reasonableSize(l_int32 width, l_int32 height)
{
    return width > 0 && height > 0 && width <= kMaxImageSide && height <= kMaxImageSide &&
           std::int64_t(width) * height <= kMaxImagePixels;
}

// Unsharp masking over a 5 x 5 neighbourhood, by sharpeningFraction().
constexpr l_int32 kSharpenHalfWidth = 2;

}  // namespace

void BitmapFile::Release::operator()(std::uint8_t* data) const { lept_free(data); }

std::span<const std::uint8_t> BitmapFile::dib() const
{
    return bytes().subspan(std::min(kBitmapFileHeaderSize, size_));
}

Image::Image(Image&& other) noexcept : pix_(std::exchange(other.pix_, nullptr)) {}

Image& Image::operator=(Image&& other) noexcept
{
    if (this != &other) {
        pixDestroy(&pix_);
        pix_ = std::exchange(other.pix_, nullptr);
    }
    return *this;
}

Image::~Image() { pixDestroy(&pix_); }

// Takes ownership of what the library produced and brings it to 24-bit
// colour (grey, palette and alpha images alike).
std::optional<Image> Image::adopt(Pix* pix)
{
    if (pix == nullptr)
        return std::nullopt;
    if (pixGetDepth(pix) != 32) {
        Pix* colour = pixConvertTo32(pix);
        pixDestroy(&pix);
        if (colour == nullptr)
            return std::nullopt;
        pix = colour;
    }
    pixSetSpp(pix, 3);
    return Image(pix);
}

std::optional<Image::Size> Image::probeJpeg(std::span<const std::uint8_t> data)
{
    quietLibrary();
    l_int32 format = 0, width = 0, height = 0;
    if (data.empty() || pixReadHeaderMem(data.data(), data.size(), &format, &width, &height, nullptr,
                                         nullptr, nullptr) != 0)
        return std::nullopt;
    if (format != IFF_JFIF_JPEG || !reasonableSize(width, height))
        return std::nullopt;
    return Size{width, height};
}

std::optional<Image> Image::decodeJpeg(std::span<const std::uint8_t> data)
{
    if (!probeJpeg(data))
        return std::nullopt;
    l_int32 warnings = 0;
    return adopt(pixReadMemJpeg(data.data(), data.size(), 0, 1, &warnings, 0));
}

std::optional<Image> Image::loadFile(const std::string& path)
{
    if (!isLoadableFile(path))
        return std::nullopt;
    return adopt(pixRead(path.c_str()));
}

bool Image::isLoadableFile(const std::string& path)
{
    quietLibrary();
    l_int32 format = 0, width = 0, height = 0;
    return pixReadHeader(path.c_str(), &format, &width, &height, nullptr, nullptr, nullptr) == 0 &&
           reasonableSize(width, height);
}

std::optional<Image> Image::fromRgb(std::span<const std::uint8_t> rgb, int width, int height)
{
    if (!reasonableSize(width, height) || rgb.size() < std::size_t(width) * std::size_t(height) * 3)
        return std::nullopt;
    Pix* pix = pixCreate(width, height, 32);
    if (pix == nullptr)
        return std::nullopt;
    l_uint32* data = pixGetData(pix);
    const l_int32 wordsPerLine = pixGetWpl(pix);
    const std::uint8_t* source = rgb.data();
    for (int y = 0; y < height; ++y) {
        l_uint32* line = data + std::size_t(y) * std::size_t(wordsPerLine);
        for (int x = 0; x < width; ++x, source += 3)
            composeRGBPixel(source[0], source[1], source[2], line + x);
    }
    return adopt(pix);
}

int Image::width() const { return pixGetWidth(pix_); }
int Image::height() const { return pixGetHeight(pix_); }

bool Image::replaceWith(Pix* result)
{
    if (result == nullptr)
        return false;
    pixSetSpp(result, 3);
    pixDestroy(&pix_);
    pix_ = result;
    return true;
}

bool Image::resize(int width, int height)
{
    if (!reasonableSize(width, height))
        return false;
    if (width == this->width() && height == this->height())
        return true;
    Pix* scaled = pixScaleToSize(pix_, width, height);
    if (scaled != nullptr && (pixGetWidth(scaled) != width || pixGetHeight(scaled) != height))
        pixDestroy(&scaled);
    return replaceWith(scaled);
}

bool Image::rotateQuarterTurns(int turns)
{
    if (turns < 1 || turns > 3)
        return false;
    return replaceWith(pixRotateOrth(pix_, turns));
}

bool Image::sharpen(int factor)
{
    if (factor <= 0)
        return true;
    return replaceWith(pixUnsharpMasking(pix_, kSharpenHalfWidth, sharpeningFraction(factor)));
}

std::optional<std::size_t> Image::writeDib(std::span<std::uint8_t> destination) const
{
    const int width = this->width();
    const int height = this->height();
    const std::size_t size = dibSize(std::size_t(width), std::size_t(height));
    if (size > destination.size())
        return std::nullopt;
    constexpr double kMetresPerInch = 0.0254;
    writeDibHeader(destination, width, height, std::int32_t(pixGetXRes(pix_) / kMetresPerInch + 0.5));

    const std::size_t stride = dibRowStride(std::size_t(width));
    const l_uint32* data = pixGetData(pix_);
    const std::size_t wordsPerLine = std::size_t(pixGetWpl(pix_));
    for (int y = 0; y < height; ++y) {
        const l_uint32* line = data + std::size_t(y) * wordsPerLine;
        std::uint8_t* out = destination.data() + kDibHeaderSize + std::size_t(height - 1 - y) * stride;
        for (int x = 0; x < width; ++x, out += 3) {
            const l_uint32 pixel = line[x];
            out[0] = std::uint8_t(pixel >> L_BLUE_SHIFT);
            out[1] = std::uint8_t(pixel >> L_GREEN_SHIFT);
            out[2] = std::uint8_t(pixel >> L_RED_SHIFT);
        }
        std::fill(out, out + (stride - std::size_t(width) * 3), std::uint8_t(0));
    }
    return size;
}

std::optional<BitmapFile> Image::toBitmapFile() const
{
    l_uint8* data = nullptr;
    size_t size = 0;
    if (pixWriteMemBmp(&data, &size, pix_) != 0 || data == nullptr)
        return std::nullopt;
    BitmapFile file(data, size);
    if (!readDibGeometry(file.dib()))
        return std::nullopt;
    return file;
}

}  // namespace qm::device::imaging
