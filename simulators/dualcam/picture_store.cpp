#include "simulators/dualcam/picture_store.h"

#include "simulators/dualcam/jpeg_tables.h"
#include "simulators/dualcam/scan_encoder.h"
#include "simulators/dualcam/scene.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace qm::dualcam {

namespace {

// What the camera writes into the segment after the marker. It leaves the
// length field blank; the host puts the real one back.
constexpr char kSegmentTag[] = "DSC-INFO";

YCbCrImage toYCbCr(const SceneImage& scene)
{
    YCbCrImage image(scene.width, scene.height);
    for (std::size_t i = 0; i < image.pixels.size(); i += 3) {
        const float r = scene.rgb[i], g = scene.rgb[i + 1], b = scene.rgb[i + 2];
        auto clamp = [](float v) { return std::uint8_t(std::clamp(std::lround(v), 0L, 255L)); };
        image.pixels[i] = clamp(0.299f * r + 0.587f * g + 0.114f * b);
        image.pixels[i + 1] = clamp(128.0f - 0.168736f * r - 0.331264f * g + 0.5f * b);
        image.pixels[i + 2] = clamp(128.0f + 0.5f * r - 0.418688f * g - 0.081312f * b);
    }
    return image;
}

}  // namespace

std::vector<StoredPictureDescription> testPictures(std::size_t count)
{
    std::vector<StoredPictureDescription> descriptions(count);
    for (std::size_t i = 0; i < count; ++i)
        descriptions[i].appSegment = i % 2 == 1;
    return descriptions;
}

PictureStore::PictureStore(std::vector<StoredPictureDescription> pictures, std::size_t capacity)
    : capacity_(std::max(capacity, pictures.size()))
{
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        if (pictures[i].variant < 0)
            pictures[i].variant = int(i);
        pictures_.push_back(Picture{std::move(pictures[i]), {}});
    }
}

bool PictureStore::add(std::vector<std::uint8_t> scan, std::uint8_t quality, bool appSegment)
{
    if (count() >= capacity_)
        return false;
    StoredPictureDescription description;
    description.quality = quality;
    description.appSegment = appSegment;
    pictures_.push_back(Picture{std::move(description), std::move(scan)});
    return true;
}

bool PictureStore::remove(std::size_t number)
{
    if (number < 1 || number > count())
        return false;
    pictures_.erase(pictures_.begin() + std::ptrdiff_t(number - 1));
    return true;
}

bool PictureStore::compress(Picture& picture)
{
    if (!picture.scan.empty())
        return true;
    const auto subject = SceneRenderer::picture(kPictureWidth, kPictureHeight, picture.description.imageFile,
                                                picture.description.variant);
    auto scan = encodeScan(toYCbCr(subject), picture.description.quality, kStillSampling);
    if (!scan)
        return false;
    picture.scan = std::move(*scan);
    return true;
}

std::optional<std::vector<std::uint8_t>> PictureStore::frame(std::size_t number, bool reportIndex)
{
    if (number < 1 || number > count())
        return std::nullopt;
    Picture& picture = pictures_[number - 1];
    if (!compress(picture))
        return std::nullopt;
    std::vector<std::uint8_t> segment;
    if (picture.description.appSegment)
        segment = appSegment(picture.description.quality);
    FrameParts parts;
    parts.quality = picture.description.quality;
    parts.scan = picture.scan;
    parts.pictureIndex = reportIndex ? std::uint16_t(number - 1) : kNoPictureIndex;
    parts.appSegment = segment;
    return buildFrame(parts);
}

std::vector<std::uint8_t> PictureStore::appSegment(std::uint8_t quality)
{
    std::vector<std::uint8_t> segment(kAppSegmentSize, 0);
    segment[0] = 0xFF;
    segment[1] = 0xE1;
    std::memcpy(&segment[4], kSegmentTag, sizeof kSegmentTag);
    segment[4 + sizeof kSegmentTag] = quality;
    return segment;
}

}  // namespace qm::dualcam
