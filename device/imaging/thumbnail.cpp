#include "device/imaging/thumbnail.h"

#include <algorithm>

#include "device/imaging/dib.h"
#include "device/imaging/image.h"
#include "device/imaging/model_rules.h"
#include "device/imaging/raw_thumbnail.h"

namespace qm::device::imaging {

namespace {

constexpr std::uint8_t kPlaceholderGrey = 128;

ThumbnailResult jpegThumbnailToDib(std::span<const std::uint8_t> data, std::span<std::uint8_t> destination)
{
    auto image = Image::decodeJpeg(data);
    if (!image)
        return writePlaceholderThumbnail(destination) ? ThumbnailResult::Placeholder : ThumbnailResult::Failed;
    if (!image->resize(kThumbnailWidth, kThumbnailHeight) || !image->writeDib(destination))
        return ThumbnailResult::Failed;
    return ThumbnailResult::Converted;
}

}  // namespace

bool writePlaceholderThumbnail(std::span<std::uint8_t> destination)
{
    if (destination.size() < kThumbnailDibSize)
        return false;
    writeDibHeader(destination, kThumbnailWidth, kThumbnailHeight, kThumbnailPixelsPerMetre);
    std::fill_n(destination.begin() + kDibHeaderSize, kThumbnailDibSize - kDibHeaderSize, kPlaceholderGrey);
    return true;
}

ThumbnailResult thumbnailToDib(std::uint8_t model, std::span<const std::uint8_t> data,
                               std::span<std::uint8_t> destination)
{
    if (destination.size() < kThumbnailDibSize)
        return ThumbnailResult::Failed;
    if (hasRawThumbnails(model))
        return rawThumbnailToDib(data, destination) ? ThumbnailResult::Converted : ThumbnailResult::Failed;
    return jpegThumbnailToDib(data, destination);
}

}  // namespace qm::device::imaging
