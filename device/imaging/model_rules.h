// What each camera model needs done to its pictures and thumbnails. The
// session and the conversions both key on the model code of CameraInfo.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "device/protocol/camera_records.h"

namespace qm::device::imaging {

// Pictures of these models come out of the camera soft and are sharpened.
inline constexpr bool sharpensPictures(std::uint8_t model)
{
    return model == kModel16 || model == kModel18;
}

// These models store resolution code 1 at a size that is shown as 1024 x 768.
inline constexpr bool resizesToXga(std::uint8_t model, std::uint8_t resolutionCode)
{
    return (model == kModel18 || model == kModel32) && resolutionCode == 1;
}

// These models deliver thumbnails in the raw YCbCr form, the others as JPEG.
inline constexpr bool hasRawThumbnails(std::uint8_t model)
{
    return model == kModel16 || model == kModel22 || model == kModel32;
}

// Only this model accepts uploaded pictures, always 640 x 480.
inline constexpr bool acceptsUploads(std::uint8_t model) { return model == kModel16; }
inline constexpr int kUploadWidth = 640;
inline constexpr int kUploadHeight = 480;

inline constexpr std::uint32_t kRawThumbnailSize = 9600;

// A JPEG thumbnail is a few kilobytes; a size beyond this is a broken
// PictureInfo and is not worth a download.
inline constexpr std::uint32_t kMaxJpegThumbnailSize = 1u << 20;

// The number of thumbnail bytes the camera delivers for a picture, or nothing
// when PictureInfo announces none or an absurd amount.
inline std::optional<std::uint32_t> thumbnailDataSize(std::uint8_t model, const PictureInfo& info)
{
    if (hasRawThumbnails(model))
        return kRawThumbnailSize;
    const std::uint32_t size = info.thumbnailSize();
    if (size == 0 || size > kMaxJpegThumbnailSize)
        return std::nullopt;
    return size;
}

// Camera pictures are a few hundred kilobytes; PictureInfo announcing more
// than this is broken and the download is not attempted.
inline constexpr std::uint32_t kMaxPictureDataSize = 64u << 20;

// The number of picture bytes the camera delivers, or nothing when
// PictureInfo announces none or an absurd amount.
inline std::optional<std::uint32_t> pictureDataSize(const PictureInfo& info)
{
    const std::uint32_t size = info.pictureSize();
    if (size == 0 || size > kMaxPictureDataSize)
        return std::nullopt;
    return size;
}

// Downloads land in blocks rounded up to whole 512-byte sectors.
inline constexpr std::size_t downloadBlockSize(std::uint32_t dataSize)
{
    return (std::size_t(dataSize) + 511) / 512 * 512;
}

}  // namespace qm::device::imaging
