#include "tests/simulators/stillcam/jpeg_check.h"

#include <turbojpeg.h>

namespace qm::stillcam::test {

std::optional<std::pair<int, int>> jpegDimensions(const std::vector<std::uint8_t>& jpeg)
{
    tjhandle handle = tjInitDecompress();
    int width = 0, height = 0, sampling = 0, colourspace = 0;
    const bool ok = !jpeg.empty() && tjDecompressHeader3(handle, jpeg.data(), jpeg.size(), &width, &height,
                                                         &sampling, &colourspace) == 0;
    tjDestroy(handle);
    if (!ok)
        return std::nullopt;
    return std::make_pair(width, height);
}

std::vector<std::uint8_t> decodeRgb(const std::vector<std::uint8_t>& jpeg)
{
    auto size = jpegDimensions(jpeg);
    if (!size)
        return {};
    std::vector<std::uint8_t> rgb(std::size_t(size->first) * std::size_t(size->second) * 3);
    tjhandle handle = tjInitDecompress();
    const int rc = tjDecompress2(handle, jpeg.data(), jpeg.size(), rgb.data(), size->first, 0, size->second, TJPF_RGB,
                                 TJFLAG_STOPONWARNING);
    tjDestroy(handle);
    return rc == 0 ? rgb : std::vector<std::uint8_t>{};
}

std::vector<std::uint8_t> solidJpeg(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    std::vector<std::uint8_t> rgb(std::size_t(width) * std::size_t(height) * 3);
    for (std::size_t i = 0; i < rgb.size(); i += 3) {
        rgb[i] = r;
        rgb[i + 1] = g;
        rgb[i + 2] = b;
    }
    tjhandle handle = tjInitCompress();
    unsigned char* out = nullptr;
    unsigned long size = 0;
    tjCompress2(handle, rgb.data(), width, 0, height, TJPF_RGB, &out, &size, TJSAMP_422, 90, 0);
    std::vector<std::uint8_t> jpeg(out, out + size);
    tjFree(out);
    tjDestroy(handle);
    return jpeg;
}

std::vector<std::uint8_t> withRawThumbnail(const std::vector<std::uint8_t>& jpeg, const std::vector<std::uint8_t>& raw)
{
    // SOI, then the first segment (its length sits in bytes 4 and 5).
    const std::size_t firstEnd = 4 + (std::size_t(jpeg[4]) << 8 | jpeg[5]);
    std::vector<std::uint8_t> out(jpeg.begin(), jpeg.begin() + long(firstEnd));
    const std::uint8_t header[] = {0xFF, 0xE0, 0x25, 0x8F, 0x19, 0x68, 0x12, 0x16, 0x00};
    out.insert(out.end(), std::begin(header), std::end(header));
    out.insert(out.end(), raw.begin(), raw.end());
    out.insert(out.end(), {0x10, 0, 0, 0, 0, 0, 0, 0});
    out.insert(out.end(), jpeg.begin() + long(firstEnd), jpeg.end());
    return out;
}

}  // namespace qm::stillcam::test
