#include "device/imaging/picture_bitmap.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "common/config/kvb_config.h"
#include "device/imaging/dib.h"
#include "device/imaging/image.h"
#include "device/imaging/imaging_strings.h"
#include "device/imaging/model_rules.h"
#include "device/imaging/pixels/jpeg_rows.h"
#include "device/imaging/pixels/quarter_turns.h"
#include "device/imaging/pixels/resample.h"
#include "device/imaging/pixels/unsharp_mask.h"

namespace qm::device::imaging {

namespace {

constexpr int kXgaWidth = 1024;
constexpr int kXgaHeight = 768;

// Every step through the imaging library, the bitmap copied out at the end:
// for what the fast path below does not reproduce.
bool pictureToBitmapThroughLibrary(std::span<const std::uint8_t> picture, const PictureSteps& steps,
                                   std::span<std::uint8_t> destination)
{
    auto image = Image::decodeJpeg(picture);
    if (!image)
        return false;
    if (steps.sharpenFactor > 0 && !image->sharpen(steps.sharpenFactor))
        return false;
    if (steps.resizeToXga && !image->resize(kXgaWidth, kXgaHeight))
        return false;
    if (steps.quarterTurns != 0 && !image->rotateQuarterTurns(steps.quarterTurns))
        return false;
    // The caller sized the buffer from the picture's resolution; a picture
    // that turns out larger is refused rather than written past its end.
    return image->writeDib(destination).has_value();
}

// Pixel rows of 24-bit pictures between the steps, with the slack the
// resampler may read beyond the last row.
struct Pixels {
    std::unique_ptr<std::uint8_t[]> bytes;
    int width = 0;
    int height = 0;

    static Pixels make(int width, int height)
    {
        const std::size_t size = std::size_t(width) * 3 * std::size_t(height);
        Pixels pixels{std::unique_ptr<std::uint8_t[]>(new std::uint8_t[size + kResampleSlack]), width, height};
        std::memset(pixels.bytes.get() + size, 0, kResampleSlack);
        return pixels;
    }
    std::size_t stride() const { return std::size_t(width) * 3; }
};

// The library's resize to 1024 x 768 when it interpolates linearly in its
// general form (the only one reproduced here): the scale factors, whether it
// sharpens the result, and the resolution it then records.
struct Resize {
    float scaleX = 1;
    float scaleY = 1;
    bool sharpensAfter = false;
};

std::optional<Resize> reproducibleResize(int width, int height)
{
    Resize resize{float(kXgaWidth) / float(width), float(kXgaHeight) / float(height)};
    const float largest = std::max(resize.scaleX, resize.scaleY);
    const bool special = (resize.scaleX == 2.0f && resize.scaleY == 2.0f) || (resize.scaleX == 4.0f && resize.scaleY == 4.0f);
    if (largest < 0.7f || special || int(resize.scaleX * float(width) + 0.5f) != kXgaWidth ||
        int(resize.scaleY * float(height) + 0.5f) != kXgaHeight)
        return std::nullopt;
    resize.sharpensAfter = largest < 1.4f;
    return resize;
}

// The library sharpens the result of a small enlargement by this fraction.
constexpr float kResizeSharpening = 0.4f;

Taps mirrored(Taps taps, int size)
{
    taps.first = size - 1 - taps.first;
    taps.second = size - 1 - taps.second;
    return taps;
}

// Where a step writes the bitmap's pixel rows: picture row y (from the top)
// at topRow + y * rowStep.
struct Rows {
    std::uint8_t* topRow;
    std::ptrdiff_t rowStep;
};

// Enlarges to 1024 x 768 and turns in one pass: target rows take their taps
// from source rows, forwards or backwards, or, for a quarter turn, from the
// columns of the small picture, which a turned copy brings into rows.
void enlargeAndTurn(const Pixels& source, int turns, const Resize& resize, Rows target)
{
    const std::vector<Taps> columns = interpolationTaps(source.width, kXgaWidth);
    const std::vector<Taps> rows = interpolationTaps(source.height, kXgaHeight);
    const bool quarter = turns % 2 == 1;
    const int outWidth = quarter ? kXgaHeight : kXgaWidth, outHeight = quarter ? kXgaWidth : kXgaHeight;
    std::vector<Taps> targetRows, targetColumns;
    for (int y = 0; y < outHeight; ++y) {
        const auto forwards = std::size_t(y), backwards = std::size_t(outHeight - 1 - y);
        targetRows.push_back(turns == 0   ? rows[forwards]
                             : turns == 2 ? rows[backwards]
                             : turns == 1 ? columns[forwards]
                                          : mirrored(columns[backwards], source.width));
    }
    for (int x = 0; x < outWidth; ++x) {
        const auto forwards = std::size_t(x), backwards = std::size_t(outWidth - 1 - x);
        targetColumns.push_back(turns == 0   ? columns[forwards]
                                : turns == 2 ? columns[backwards]
                                : turns == 1 ? mirrored(rows[backwards], source.height)
                                             : rows[forwards]);
    }

    Pixels turned;
    const Pixels* from = &source;
    if (quarter) {
        turned = Pixels::make(source.height, source.width);
        turnPixels(source.bytes.get(), source.stride(), source.width, source.height, turns, turned.bytes.get(),
                   std::ptrdiff_t(turned.stride()));
        from = &turned;
    }
    if (!resize.sharpensAfter) {
        resample(from->bytes.get(), from->stride(), targetColumns, targetRows, target.topRow, target.rowStep);
        return;
    }
    // Sharpening commutes with turning: the box and its borders are symmetric.
    Pixels resized = Pixels::make(outWidth, outHeight);
    resample(from->bytes.get(), from->stride(), targetColumns, targetRows, resized.bytes.get(),
             std::ptrdiff_t(resized.stride()));
    unsharpMask(resized.bytes.get(), resized.stride(), target.topRow, target.rowStep, outWidth, outHeight,
                kResizeSharpening);
}

enum class FastResult { Done, Failed, NotReproduced };

FastResult fromDecoding(JpegRowsResult result)
{
    return result == JpegRowsResult::Decoded ? FastResult::Done
           : result == JpegRowsResult::Failed ? FastResult::Failed
                                              : FastResult::NotReproduced;
}

// Decodes straight into the bitmap's rows, or into working rows when steps
// follow; each step writes where the next one reads, the last one into the
// bitmap. The bitmap comes out as the library's path makes it, byte for byte.
FastResult pictureToBitmapFast(std::span<const std::uint8_t> picture, const PictureSteps& steps,
                               std::span<std::uint8_t> destination)
{
    const auto size = Image::probeJpeg(picture);
    if (!size)
        return FastResult::Failed;
    JpegLayout layout;
    if (!readJpegLayout(picture, layout) || layout.width != size->width || layout.height != size->height)
        return FastResult::NotReproduced;
    const int width = size->width, height = size->height;

    const bool resizes = steps.resizeToXga && (width != kXgaWidth || height != kXgaHeight);
    std::optional<Resize> resize;
    if (resizes && !(resize = reproducibleResize(width, height)))
        return FastResult::NotReproduced;
    const int turns = steps.quarterTurns & 3;
    int outWidth = resizes ? kXgaWidth : width, outHeight = resizes ? kXgaHeight : height;
    if (turns % 2 == 1)
        std::swap(outWidth, outHeight);
    const std::size_t stride = dibRowStride(std::size_t(outWidth));
    if (dibSize(std::size_t(outWidth), std::size_t(outHeight)) > destination.size())
        return FastResult::Failed;
    // Bottom-up: the top row is the last one in memory.
    const Rows bitmap{destination.data() + kDibHeaderSize + std::size_t(outHeight - 1) * stride,
                      -std::ptrdiff_t(stride)};

    const bool sharpens = steps.sharpenFactor > 0;
    if (!sharpens && !resizes && turns == 0) {
        if (const FastResult decoded = fromDecoding(decodeJpegRows(picture, bitmap.topRow, bitmap.rowStep));
            decoded != FastResult::Done)
            return decoded;
    } else {
        Pixels decoded = Pixels::make(width, height);
        if (const FastResult result =
                fromDecoding(decodeJpegRows(picture, decoded.bytes.get(), std::ptrdiff_t(decoded.stride())));
            result != FastResult::Done)
            return result;
        const float fraction = sharpeningFraction(steps.sharpenFactor);
        if (sharpens && !resizes && turns == 0) {
            unsharpMask(decoded.bytes.get(), decoded.stride(), bitmap.topRow, bitmap.rowStep, width, height, fraction);
        } else {
            Pixels sharpened;
            if (sharpens) {
                sharpened = Pixels::make(width, height);
                unsharpMask(decoded.bytes.get(), decoded.stride(), sharpened.bytes.get(),
                            std::ptrdiff_t(sharpened.stride()), width, height, fraction);
            }
            const Pixels& current = sharpens ? sharpened : decoded;
            if (resizes)
                enlargeAndTurn(current, turns, *resize, bitmap);
            else
                turnPixels(current.bytes.get(), current.stride(), width, height, turns, bitmap.topRow, bitmap.rowStep);
        }
    }

    const std::size_t padding = stride - std::size_t(outWidth) * 3;
    for (int y = 0; y < outHeight && padding > 0; ++y)
        std::memset(bitmap.topRow + std::ptrdiff_t(y) * bitmap.rowStep + std::ptrdiff_t(outWidth) * 3, 0, padding);
    // The resolution as the library records it: scaled with the picture.
    double pixelsPerInch = layout.pixelsPerInch;
    if (resizes)
        pixelsPerInch = double(std::uint32_t(std::min(double(resize->scaleX) * float(layout.pixelsPerInch) + 0.5, 1e8)));
    constexpr double kMetresPerInch = 0.0254;
    writeDibHeader(destination, outWidth, outHeight, std::int32_t(pixelsPerInch / kMetresPerInch + 0.5));
    return FastResult::Done;
}

}  // namespace

int configuredSharpenFactor()
{
    return config::readInt(kImageQualitySection, kSharpenFactorKey, kDefaultSharpenFactor);
}

PictureSteps pictureStepsFor(std::uint8_t model, const PictureInfo& info, std::uint8_t rotationCode,
                             int sharpenFactor)
{
    PictureSteps steps;
    if (sharpensPictures(model))
        steps.sharpenFactor = sharpenFactor;
    steps.resizeToXga = resizesToXga(model, info.resolutionCode());
    if (rotationCode >= 1 && rotationCode <= 3)
        steps.quarterTurns = rotationCode;
    return steps;
}

bool pictureToBitmap(std::span<const std::uint8_t> picture, const PictureSteps& steps,
                     std::span<std::uint8_t> destination)
{
    FastResult result = FastResult::NotReproduced;
    try {
        result = pictureToBitmapFast(picture, steps, destination);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (result == FastResult::NotReproduced)
        return pictureToBitmapThroughLibrary(picture, steps, destination);
    return result == FastResult::Done;
}

bool pictureToBitmap(std::span<const std::uint8_t> picture, std::uint8_t model, const PictureInfo& info,
                     std::span<std::uint8_t> destination)
{
    if (destination.empty())
        return false;
    const PictureSteps steps = pictureStepsFor(model, info, destination[0], configuredSharpenFactor());
    return pictureToBitmap(picture, steps, destination);
}

}  // namespace qm::device::imaging
