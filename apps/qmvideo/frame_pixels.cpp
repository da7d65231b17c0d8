#include "apps/qmvideo/frame_pixels.h"

#include <turbojpeg.h>

namespace qm::qmvideo {

namespace {

std::optional<FramePixels> decodeJpeg(std::span<const std::uint8_t> jpeg)
{
    tjhandle decoder = tjInitDecompress();
    if (decoder == nullptr)
        return std::nullopt;
    std::optional<FramePixels> pixels;
    int width = 0, height = 0, subsampling = 0, colourspace = 0;
    if (tjDecompressHeader3(decoder, jpeg.data(), static_cast<unsigned long>(jpeg.size()), &width, &height,
                            &subsampling, &colourspace) == 0 &&
        width > 0 && height > 0) {
        FramePixels frame{width, height, std::vector<std::uint8_t>(std::size_t(width) * std::size_t(height) * 3)};
        if (tjDecompress2(decoder, jpeg.data(), static_cast<unsigned long>(jpeg.size()), frame.bgr.data(), width,
                          width * 3, height, TJPF_BGR, TJFLAG_BOTTOMUP) == 0)
            pixels = std::move(frame);
    }
    tjDestroy(decoder);
    return pixels;
}

}  // namespace

std::optional<FramePixels> framePixels(const VideoFormat& format, std::span<const std::uint8_t> data)
{
    if (format.mjpg || (data.size() >= 2 && data[0] == 0xFF && data[1] == 0xD8))
        return decodeJpeg(data);
    const std::size_t bytes = std::size_t(format.width) * std::size_t(format.height) * 3;
    if (format.width <= 0 || format.height <= 0 || data.size() != bytes)
        return std::nullopt;
    return FramePixels{int(format.width), int(format.height), std::vector<std::uint8_t>(data.begin(), data.end())};
}

}  // namespace qm::qmvideo
