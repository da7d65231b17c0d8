#include "apps/acquire/picture_files.h"

#include "platform/system/byte_order.h"

namespace qm::acquire {

std::vector<std::uint8_t> dibFromImage(const RgbImage& image)
{
    const std::size_t stride = (std::size_t(image.width) * 3 + 3) & ~std::size_t(3);
    std::vector<std::uint8_t> dib(40 + stride * std::size_t(image.height));
    sys::writeLe32(&dib[0], 40);
    sys::writeLe32(&dib[4], std::uint32_t(image.width));
    sys::writeLe32(&dib[8], std::uint32_t(image.height));
    sys::writeLe16(&dib[12], 1);
    sys::writeLe16(&dib[14], 24);
    sys::writeLe32(&dib[20], std::uint32_t(stride * std::size_t(image.height)));
    for (int y = 0; y < image.height; ++y) {
        const std::uint8_t* in = image.rgb.data() + std::size_t(y) * std::size_t(image.width) * 3;
        std::uint8_t* out = dib.data() + 40 + std::size_t(image.height - 1 - y) * stride;
        for (int x = 0; x < image.width; ++x) {
            out[3 * x] = in[3 * x + 2];
            out[3 * x + 1] = in[3 * x + 1];
            out[3 * x + 2] = in[3 * x];
        }
    }
    return dib;
}

bool writePictureFiles(const std::string& stem, const std::vector<std::uint8_t>& dib, bool writeBitmap,
                       std::string& error)
{
    const std::optional<RgbImage> image = qmcam::imageFromDib(dib);
    if (!image) {
        error = "the picture is no 24-bit bitmap";
        return false;
    }
    if (writeBitmap && !qmcam::writeBmpFile(stem + ".bmp", dib)) {
        error = "cannot write " + stem + ".bmp";
        return false;
    }
    if (!qmcam::writePngFile(stem + ".png", *image)) {
        error = "cannot write " + stem + ".png";
        return false;
    }
    return true;
}

}  // namespace qm::acquire
