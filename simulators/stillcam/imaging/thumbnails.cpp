#include "simulators/stillcam/imaging/thumbnails.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "platform/system/byte_order.h"
#include "simulators/stillcam/imaging/jpeg_codec.h"

namespace qm::stillcam {
namespace {

constexpr double kHostGamma = 1.45;
constexpr std::size_t kEmbeddedSegmentLength = 9615;
constexpr std::array<std::uint8_t, 5> kEmbeddedSignature = {0x19, 0x68, 0x12, 0x16, 0x00};

// Undoes the gamma the host applies, so the host's thumbnail looks like the
// picture.
const std::array<double, 256>& linearTable()
{
    static const std::array<double, 256> table = [] {
        std::array<double, 256> t{};
        for (int v = 0; v < 256; ++v)
            t[std::size_t(v)] = 255.0 * std::pow(v / 255.0, kHostGamma);
        return t;
    }();
    return table;
}

std::int8_t signedByte(double value) { return std::int8_t(std::clamp(std::lround(value), -128L, 127L)); }

}  // namespace

bool usesRawThumbnails(std::uint8_t model) { return model == 16 || model == 22 || model == 32; }

std::vector<std::uint8_t> rawThumbnail(const RgbImage& picture)
{
    RgbImage small = resize(picture, kThumbnailWidth, kThumbnailHeight);
    std::vector<std::uint8_t> raw(kRawThumbnailSize);
    if (small.empty())
        return raw;
    const auto& linear = linearTable();
    std::size_t out = 0;
    for (int y = 0; y < kThumbnailHeight; ++y) {
        for (int x = 0; x < kThumbnailWidth; x += 2) {
            double yy[2], cb = 0, cr = 0;
            for (int i = 0; i < 2; ++i) {
                const std::uint8_t* p = small.at(x + i, y);
                double r = linear[p[0]], g = linear[p[1]], b = linear[p[2]];
                yy[i] = 0.299 * r + 0.587 * g + 0.114 * b;
                cb += -0.168736 * r - 0.331264 * g + 0.5 * b;
                cr += 0.5 * r - 0.418688 * g - 0.081312 * b;
            }
            raw[out++] = std::uint8_t(signedByte(yy[0] - 128));
            raw[out++] = std::uint8_t(signedByte(cb / 2));
            raw[out++] = std::uint8_t(signedByte(yy[1] - 128));
            raw[out++] = std::uint8_t(signedByte(cr / 2));
        }
    }
    return raw;
}

std::vector<std::uint8_t> jpegThumbnail(const RgbImage& picture)
{
    return encodeJpeg(resize(picture, kJpegThumbnailWidth, kJpegThumbnailHeight), 75);
}

std::vector<std::uint8_t> placeholderThumbnail(std::uint8_t model)
{
    if (usesRawThumbnails(model))
        return std::vector<std::uint8_t>(kRawThumbnailSize, 0);  // uniform mid grey
    RgbImage grey(kJpegThumbnailWidth, kJpegThumbnailHeight);
    std::fill(grey.pixels.begin(), grey.pixels.end(), std::uint8_t(128));
    return encodeJpeg(grey, 75);
}

std::optional<std::vector<std::uint8_t>> embeddedRawThumbnail(std::span<const std::uint8_t> jpeg)
{
    if (jpeg.size() < 4 || jpeg[0] != 0xFF || jpeg[1] != 0xD8)
        return std::nullopt;
    std::size_t pos = 2;
    // Walk the marker segments up to the start of scan.
    while (pos + 4 <= jpeg.size()) {
        if (jpeg[pos] != 0xFF)
            return std::nullopt;
        const std::uint8_t marker = jpeg[pos + 1];
        if (marker == 0xDA || marker == 0xD9)
            return std::nullopt;
        const std::size_t length = sys::readBe16(&jpeg[pos + 2]);
        if (length < 2 || pos + 2 + length > jpeg.size())
            return std::nullopt;
        const std::uint8_t* body = &jpeg[pos + 4];
        if (marker == 0xE0 && length == kEmbeddedSegmentLength &&
            std::equal(kEmbeddedSignature.begin(), kEmbeddedSignature.end(), body))
            return std::vector<std::uint8_t>(body + kEmbeddedSignature.size(),
                                             body + kEmbeddedSignature.size() + kRawThumbnailSize);
        pos += 2 + length;
    }
    return std::nullopt;
}

}  // namespace qm::stillcam
