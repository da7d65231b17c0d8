#include "simulators/stillcam/imaging/jpeg_codec.h"

#include <turbojpeg.h>

#include <limits>
#include <memory>

namespace qm::stillcam {
namespace {

struct HandleCloser {
    void operator()(void* handle) const { tjDestroy(handle); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

bool fitsTurboJpeg(std::size_t size) { return size > 0 && size <= std::numeric_limits<unsigned long>::max(); }

}  // namespace

std::vector<std::uint8_t> encodeJpeg(const RgbImage& image, int quality)
{
    if (image.empty() || image.pixels.size() != std::size_t(image.width) * std::size_t(image.height) * 3)
        return {};
    Handle handle(tjInitCompress());
    if (!handle)
        return {};
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    int rc = tjCompress2(handle.get(), image.pixels.data(), image.width, 0, image.height, TJPF_RGB, &out, &outSize,
                         TJSAMP_422, quality, TJFLAG_ACCURATEDCT);
    std::vector<std::uint8_t> jpeg;
    if (rc == 0 && out != nullptr)
        jpeg.assign(out, out + outSize);
    tjFree(out);
    return jpeg;
}

std::optional<JpegSize> jpegSize(std::span<const std::uint8_t> data)
{
    if (!fitsTurboJpeg(data.size()))
        return std::nullopt;
    Handle handle(tjInitDecompress());
    if (!handle)
        return std::nullopt;
    int width = 0, height = 0, subsampling = 0, colourspace = 0;
    if (tjDecompressHeader3(handle.get(), data.data(), static_cast<unsigned long>(data.size()), &width, &height,
                            &subsampling, &colourspace) != 0 ||
        width <= 0 || height <= 0)
        return std::nullopt;
    return JpegSize{width, height};
}

std::optional<RgbImage> decodeJpeg(std::span<const std::uint8_t> data, bool strict)
{
    auto size = jpegSize(data);
    if (!size)
        return std::nullopt;
    Handle handle(tjInitDecompress());
    if (!handle)
        return std::nullopt;
    RgbImage image(size->width, size->height);
    int flags = TJFLAG_ACCURATEDCT | (strict ? TJFLAG_STOPONWARNING : 0);
    if (tjDecompress2(handle.get(), data.data(), static_cast<unsigned long>(data.size()), image.pixels.data(),
                      image.width, 0, image.height, TJPF_RGB, flags) != 0) {
        if (strict || tjGetErrorCode(handle.get()) == TJERR_FATAL)
            return std::nullopt;
    }
    return image;
}

}  // namespace qm::stillcam
