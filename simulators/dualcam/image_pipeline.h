// The camera's picture path from light to compressor input: exposure and
// front-end gain on the sensor signal, the black-level offset, the colour and
// Y gains, the tone curve and the saturation of the colour conversion. It
// also measures what the host's exposure and white-balance loops read back:
// the luminance grid, the white-balance sums and the optical-black level.
#pragma once

#include "simulators/dualcam/scene.h"
#include "simulators/dualcam/ycbcr_image.h"

#include <array>
#include <cstdint>

namespace qm::dualcam {

using ToneCurve = std::array<std::uint8_t, 17>;  // outputs for inputs 0, 16, ..., 256

struct AwbWindow {
    int xStart = 0, xEnd = 0x7FFF, yStart = 0, yEnd = 0x7FFF;  // inclusive, clipped to the frame
};

struct PipelineSettings {
    std::array<double, 3> light{1.0, 1.0, 1.0};  // colour of the light, red/green/blue
    double brightness = 1.0;                     // light level
    double exposure = 1.0;                       // fraction of the normal full-frame exposure
    double analogGain = 1.0;                     // front-end gain (multiplier)
    int blackLevel = 32;                         // sensor dark level at unity gain
    int blackOffset = 32;                        // subtracted before the digital gains
    std::array<int, 3> colourGain{16, 16, 16};   // red, green, blue in sixteenths
    int yGain = 8;                               // in eighths
    ToneCurve toneCurve{};
    int cbSaturation = 16, crSaturation = 16;    // in sixteenths
    AwbWindow awbWindow;
};

struct FrameStatistics {
    std::array<std::uint8_t, 64> luminanceGrid{};      // 80 x 60-pixel cells, 0 outside the frame
    std::array<std::uint32_t, 3> whiteBalanceSums{};   // red, green, blue over the window (27 bits)
    std::uint32_t whiteBalancePixels = 0;
    std::uint8_t opticalBlack = 0;
};

struct DevelopedFrame {
    YCbCrImage image;
    FrameStatistics statistics;
};

// Signal level (8-bit scale) of a white reflector at full exposure and unity
// gain in an ordinary lit room.
inline constexpr double kFullScaleSignal = 510.0;

DevelopedFrame developFrame(const SceneImage& scene, const PipelineSettings& settings);

// The tone curve as a 256-entry table (linear between the 17 points).
std::array<std::uint8_t, 256> expandToneCurve(const ToneCurve& curve);

// A straight tone curve (output = input).
ToneCurve linearToneCurve();

}  // namespace qm::dualcam
