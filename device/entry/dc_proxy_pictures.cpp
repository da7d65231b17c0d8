// Downloads of the camera session: picture to bitmap (8/2), thumbnail
// (8/3, which also tells whether the camera holds the picture zoomed) and
// picture to file (8/8). Each is tried once more after a pause.
#include <new>
#include <optional>
#include <vector>

#include "device/entry/call_arguments.h"
#include "device/entry/camera_values.h"
#include "device/entry/dc_proxy.h"
#include "device/entry/spinning_thread.h"
#include "device/imaging/model_rules.h"
#include "device/imaging/picture_bitmap.h"
#include "device/imaging/picture_file.h"
#include "device/imaging/thumbnail.h"
#include "platform/system/timing.h"

namespace qm::device {
namespace {

constexpr std::uint32_t kRetryPauseMs = 1000;
// Far beyond any picture a camera of this family stores; a PictureInfo that
// announces more is broken and not worth a download.
constexpr std::uint32_t kMaxPictureDataSize = 64u << 20;

// A zero-filled block of whole 512-byte sectors; none when memory is short.
std::optional<std::vector<std::uint8_t>> downloadBlock(std::uint32_t dataSize)
{
    try {
        return std::vector<std::uint8_t>(imaging::downloadBlockSize(dataSize));
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

std::optional<std::uint32_t> pictureDataSize(const PictureInfo& info)
{
    const std::uint32_t size = info.pictureSize();
    if (size == 0 || size > kMaxPictureDataSize)
        return std::nullopt;
    return size;
}

}  // namespace

template <typename Attempt>
std::uint8_t CDCProxy::tryTwice(Attempt attempt, std::uint8_t* restoreByte)
{
    const std::uint8_t saved = restoreByte != nullptr ? *restoreByte : 0;
    if (attempt() == kDriverSuccess)
        return kDriverSuccess;
    sys::Sleep(context().timing.scaled(kRetryPauseMs));
    if (restoreByte != nullptr)
        *restoreByte = saved;
    return attempt();
}

bool CDCProxy::readPictureData(std::uint32_t picture, std::span<std::uint8_t> block)
{
    // A picture over the serial line keeps a processor busy alongside.
    std::optional<SpinningThread> spinner;
    if (!usb())
        spinner.emplace();
    ProgressMask mask(*this, kMaskPicture);
    return link_.ReadPicture(std::uint16_t(picture), block);
}

std::uint8_t CDCProxy::downloadPicture(void* out, void* data)
{
    const std::optional<std::uint32_t> picture = loadValue(out);
    if (!picture || *picture > 0xFFFF || data == nullptr)
        return kDriverFailure;
    auto* destination = static_cast<std::uint8_t*>(data);
    return tryTwice([&] { return pictureToBitmap(*picture, destination); });
}

std::uint8_t CDCProxy::pictureToBitmap(std::uint32_t picture, std::uint8_t* destination)
{
    // The call carries no buffer length: the caller sized the buffer from the
    // size this session last told it for the picture (or for the model),
    // turned as the rotation asks: header plus three bytes a pixel. The
    // picture the number names now may be another one (an erase renumbers
    // them), so the bound is what was told, never what the camera says now;
    // a caller told nothing is refused.
    const std::optional<PictureSize> told = toldSizeOf(picture);
    if (!told)
        return kDriverFailure;
    const std::size_t capacity = kBitmapInfoHeaderSize + std::size_t(told->width) * told->height * 3;
    PictureInfo info;
    if (!readPictureInfo(picture, info))
        return kDriverFailure;

    const std::optional<std::uint32_t> size = pictureDataSize(info);
    std::optional<std::vector<std::uint8_t>> block = size ? downloadBlock(*size) : std::nullopt;
    if (!block || !readPictureData(picture, std::span(*block).first(*size)))
        return kDriverFailure;
    // A picture that does not decode or does not fit fails; the caller's
    // buffer is then left as it was.
    const bool converted = imaging::pictureToBitmap(std::span(*block).first(*size), model(), info,
                                                    std::span(destination, capacity));
    return converted ? kDriverSuccess : kDriverFailure;
}

std::uint8_t CDCProxy::downloadThumbnail(void* out, void* data)
{
    const std::optional<std::uint32_t> picture = loadValue(out);
    if (!picture || data == nullptr)
        return kDriverFailure;
    auto* destination = static_cast<std::uint8_t*>(data);
    bool zoomed = false;
    const std::uint8_t result = *picture > 0xFFFF ? kDriverFailure : tryTwice([&] {
        return thumbnailToBitmap(*picture, destination, zoomed);
    }, destination);
    // The panel learns here which pictures the camera holds zoomed; a
    // thumbnail that did not arrive marks nothing.
    storeValue(out, result == kDriverSuccess && zoomed ? kThumbnailZoomed : 0);
    return result;
}

std::uint8_t CDCProxy::thumbnailToBitmap(std::uint32_t picture, std::uint8_t* destination, bool& zoomed)
{
    const std::span<std::uint8_t> dib(destination, kThumbnailDibSize);
    PictureInfo info;
    if (!readPictureInfo(picture, info))
        return kDriverFailure;
    zoomed = info.zoomed();
    const imaging::ThumbnailKey key = imaging::ThumbnailKey::of(picture, info);
    if (thumbnailCache().lookup(key, dib))
        return kDriverSuccess;

    const std::optional<std::uint32_t> size = imaging::thumbnailDataSize(model(), info);
    std::optional<std::vector<std::uint8_t>> block = size ? downloadBlock(*size) : std::nullopt;
    if (!block)
        return kDriverFailure;
    const std::span<std::uint8_t> data = std::span(*block).first(*size);
    {
        ProgressMask mask(*this, kMaskThumbnail);
        if (!link_.ReadThumbnail(std::uint16_t(picture), data))
            return kDriverFailure;
    }
    switch (imaging::thumbnailToDib(model(), data, dib)) {
    case imaging::ThumbnailResult::Converted:
        thumbnailCache().store(key, dib);
        return kDriverSuccess;
    case imaging::ThumbnailResult::Placeholder:
        // A thumbnail that does not decode shows as plain grey, so the
        // browser keeps loading; it is not cached.
        return kDriverSuccess;
    case imaging::ThumbnailResult::Failed:
        break;
    }
    return kDriverFailure;
}

std::uint8_t CDCProxy::savePicture(void* out, void* data)
{
    const std::optional<std::uint32_t> value = loadValue(out);
    if (!value || data == nullptr)
        return kDriverFailure;
    // The high 16 bits carry the panel's rotation; the data is saved as the
    // camera delivers it.
    const std::uint32_t picture = *value & 0xFFFF;
    const char* path = static_cast<const char*>(data);
    return tryTwice([&] { return pictureToFile(picture, path); });
}

std::uint8_t CDCProxy::pictureToFile(std::uint32_t picture, const char* path)
{
    PictureInfo info;
    if (!readPictureInfo(picture, info))
        return kDriverFailure;
    imaging::PictureFileWriter file;
    if (!file.open(path))
        return kDriverFailure;
    const std::optional<std::uint32_t> size = pictureDataSize(info);
    std::optional<std::vector<std::uint8_t>> block = size ? downloadBlock(*size) : std::nullopt;
    if (!block || !readPictureData(picture, std::span(*block).first(*size))) {
        file.abandon();
        return kDriverFailure;
    }
    return file.commit(std::span(*block).first(*size)) ? kDriverSuccess : kDriverFailure;
}

}  // namespace qm::device
