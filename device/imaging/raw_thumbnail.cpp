#include "device/imaging/raw_thumbnail.h"

#include <algorithm>
#include <cmath>

namespace qm::device::imaging {

namespace {

constexpr double kThumbnailGamma = 1.45;
constexpr int kBytesPerPair = 4;
constexpr int kPairsPerRow = kThumbnailWidth / 2;

std::uint8_t clampToByte(double value)
{
    return std::uint8_t(std::clamp(value, 0.0, 255.0));
}

void storeBgr(std::uint8_t* out, int y, int cb, int cr)
{
    const auto& gamma = thumbnailGammaTable();
    out[0] = gamma[clampToByte(y + 1.772 * cb)];
    out[1] = gamma[clampToByte(y - 0.344136 * cb - 0.714136 * cr)];
    out[2] = gamma[clampToByte(y + 1.402 * cr)];
}

// The sampled pixels of the upload picture, in the camera's integer form.
struct SampledYcc {
    int y = 0;
    int cb = 0;
    int cr = 0;
};

SampledYcc sampleAt(const std::uint8_t* bgr)
{
    const double b = bgr[0], g = bgr[1], r = bgr[2];
    return {int(0.299 * r + 0.587 * g + 0.114 * b - 128.0), int(-0.168736 * r - 0.331264 * g + 0.5 * b),
            int(0.5 * r - 0.418688 * g - 0.081312 * b)};
}

constexpr int kSampleStep = 8;
constexpr int kFirstSampledRow = 7;

}  // namespace

const std::array<std::uint8_t, 256>& thumbnailGammaTable()
{
    static const std::array<std::uint8_t, 256> table = [] {
        std::array<std::uint8_t, 256> entries{};
        const double exponent = 1.0 / kThumbnailGamma;
        const double scale = 255.0 / std::pow(255.0, exponent);
        for (int v = 0; v < 256; ++v)
            entries[v] = std::uint8_t(std::clamp(std::floor(std::pow(v, exponent) * scale + 0.5), 0.0, 255.0));
        return entries;
    }();
    return table;
}

bool rawThumbnailToDib(std::span<const std::uint8_t> raw, std::span<std::uint8_t> dib)
{
    if (raw.size() < kRawThumbnailSize || dib.size() < kThumbnailDibSize)
        return false;
    writeDibHeader(dib, kThumbnailWidth, kThumbnailHeight, kThumbnailPixelsPerMetre);
    constexpr std::size_t stride = dibRowStride(kThumbnailWidth);
    for (int row = 0; row < kThumbnailHeight; ++row) {
        const std::uint8_t* in = raw.data() + std::size_t(row) * kPairsPerRow * kBytesPerPair;
        std::uint8_t* out = dib.data() + kDibHeaderSize + std::size_t(kThumbnailHeight - 1 - row) * stride;
        for (int pair = 0; pair < kPairsPerRow; ++pair, in += kBytesPerPair, out += 6) {
            const int y0 = std::int8_t(in[0]) + 128;
            const int cb = std::int8_t(in[1]);
            const int y1 = std::int8_t(in[2]) + 128;
            const int cr = std::int8_t(in[3]);
            storeBgr(out, y0, cb, cr);
            storeBgr(out + 3, y1, cb, cr);
        }
    }
    return true;
}

void sampleRawThumbnail(const std::uint8_t* bottomUpRows, std::size_t stride,
                        std::span<std::uint8_t, kRawThumbnailSize> raw)
{
    std::uint8_t* out = raw.data();
    for (int row = 0; row < kThumbnailHeight; ++row) {
        const int imageRow = kFirstSampledRow + row * kSampleStep;
        const std::uint8_t* line = bottomUpRows + std::size_t(kUploadHeight - 1 - imageRow) * stride;
        for (int pair = 0; pair < kPairsPerRow; ++pair, out += kBytesPerPair) {
            const int x = pair * 2 * kSampleStep;
            const SampledYcc left = sampleAt(line + std::size_t(x) * 3);
            const SampledYcc right = sampleAt(line + std::size_t(x + kSampleStep) * 3);
            out[0] = std::uint8_t(std::int8_t(left.y));
            out[1] = std::uint8_t(std::int8_t((left.cb + right.cb) / 2));
            out[2] = std::uint8_t(std::int8_t(right.y));
            out[3] = std::uint8_t(std::int8_t((left.cr + right.cr) / 2));
        }
    }
}

}  // namespace qm::device::imaging
