#include "tests/videodriver/jpeg/camera_frames.h"

#include <algorithm>
#include <cmath>

#include "platform/system/byte_order.h"
#include "simulators/dualcam/jpeg_tables.h"
#include "simulators/dualcam/scan_encoder.h"
#include "simulators/dualcam/scene.h"
#include "videodriver/jpeg/jpeg_decoder.h"
#include "videodriver/jpeg/jpeg_header.h"

namespace qm::morvax::test {

namespace {

// The camera's colour conversion (JFIF, full range).
dualcam::YCbCrImage toYCbCr(const std::vector<std::uint8_t>& rgb, int width, int height)
{
    dualcam::YCbCrImage image(width, height);
    for (std::size_t i = 0; i < image.pixels.size(); i += 3) {
        const double r = rgb[i], g = rgb[i + 1], b = rgb[i + 2];
        auto clamp = [](double v) { return std::uint8_t(std::clamp(std::lround(v), 0L, 255L)); };
        image.pixels[i] = clamp(0.299 * r + 0.587 * g + 0.114 * b);
        image.pixels[i + 1] = clamp(128.0 - 0.168736 * r - 0.331264 * g + 0.5 * b);
        image.pixels[i + 2] = clamp(128.0 + 0.5 * r - 0.418688 * g - 0.081312 * b);
    }
    return image;
}

}  // namespace

CameraFrame cameraFrame(int width, int height, int quality, bool still)
{
    CameraFrame frame;
    frame.width = width;
    frame.height = height;
    frame.quality = quality;
    dualcam::Sampling sampling;
    if (still) {
        frame.sceneRgb = dualcam::SceneRenderer::picture(width, height, "", 1).rgb;
        sampling = dualcam::kStillSampling;
        frame.samplingType = kSampling2x1;
    } else {
        dualcam::SceneConfig config;
        config.moving = false;
        dualcam::SceneRenderer scene(config);
        frame.sceneRgb = scene.render(width, height, 0).rgb;
        sampling = dualcam::videoSampling(width);
        frame.samplingType = (width == 160 || width == 176) ? kSampling2x1 : kSampling411;
    }
    auto scan = dualcam::encodeScan(toYCbCr(frame.sceneRgb, width, height), quality, sampling);
    if (scan)
        frame.scan = std::move(*scan);
    return frame;
}

std::vector<std::uint8_t> frameJpeg(const CameraFrame& frame)
{
    std::vector<std::uint8_t> jpeg(kJpegTemplateSize);
    generateJpegHeaderTemplate(jpeg);
    ModifyJPEGHeader(jpeg, std::uint32_t(frame.height), std::uint32_t(frame.width), unsigned(frame.quality),
                     std::uint32_t(frame.scan.size()), frame.samplingType);
    jpeg.insert(jpeg.end(), frame.scan.begin(), frame.scan.end());
    return jpeg;
}

DecodedFrame decodeFrame(std::span<const std::uint8_t> jpeg, std::size_t outputSize, bool fancyUpsampling)
{
    DecodedFrame decoded;
    // An exactly sized copy, so reading past the end is caught by the
    // address sanitizer.
    std::vector<std::uint8_t> input(jpeg.begin(), jpeg.end());
    decoded.bgr.resize(outputSize);
    JpegDecodeDescriptor descriptor;
    descriptor.input = input.data();
    descriptor.inputLength = input.size();
    descriptor.output = decoded.bgr.data();
    descriptor.outputSize = decoded.bgr.size();
    descriptor.fancyUpsampling = fancyUpsampling;
    decoded.ok = decodeJpegFrame(&descriptor);
    decoded.width = descriptor.outputWidth;
    decoded.height = descriptor.outputHeight;
    return decoded;
}

double psnr(std::span<const std::uint8_t> bottomUpBgr, std::span<const std::uint8_t> topDownRgb, int width,
            int height)
{
    const std::size_t stride = std::size_t(width) * 3;
    double squares = 0;
    for (int row = 0; row < height; ++row) {
        const std::uint8_t* out = bottomUpBgr.data() + std::size_t(height - 1 - row) * stride;
        const std::uint8_t* in = topDownRgb.data() + std::size_t(row) * stride;
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c) {
                const double d = double(out[x * 3 + c]) - double(in[x * 3 + (2 - c)]);
                squares += d * d;
            }
    }
    const double mse = squares / (double(stride) * height);
    return mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

std::size_t segmentEnd(std::span<const std::uint8_t> jpeg, std::size_t at)
{
    return at + 2 + sys::readBe16(&jpeg[at + 2]);
}

}  // namespace qm::morvax::test
