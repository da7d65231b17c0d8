#include "simulators/dualcam/image_pipeline.h"

#include "simulators/dualcam/register_map.h"

#include <algorithm>
#include <cmath>

namespace qm::dualcam {

namespace {

constexpr float kRawCeiling = 1023.0f;       // the converter's range
constexpr double kGainDarkShare = 0.4;       // how much of the dark level the front end amplifies
constexpr double kLeakPerSaturated = 200.0;  // black-level rise when the whole frame is flooded

std::uint8_t clampByte(float v) { return std::uint8_t(std::clamp(std::lround(v), 0L, 255L)); }

}  // namespace

std::array<std::uint8_t, 256> expandToneCurve(const ToneCurve& curve)
{
    std::array<std::uint8_t, 256> table{};
    for (int x = 0; x < 256; ++x) {
        const int i = x / 16, f = x % 16;
        table[std::size_t(x)] = std::uint8_t((curve[std::size_t(i)] * (16 - f) + curve[std::size_t(i) + 1] * f + 8) / 16);
    }
    return table;
}

ToneCurve linearToneCurve()
{
    ToneCurve curve{};
    for (std::size_t i = 0; i < curve.size(); ++i)
        curve[i] = std::uint8_t(std::min<std::size_t>(255, i * 16));
    return curve;
}

DevelopedFrame developFrame(const SceneImage& scene, const PipelineSettings& s)
{
    const int w = scene.width, h = scene.height;
    DevelopedFrame out{YCbCrImage(w, h), {}};

    const double common = s.brightness * s.exposure * s.analogGain * kFullScaleSignal / 255.0;
    float signalScale[3], digitalScale[3];
    for (int c = 0; c < 3; ++c) {
        signalScale[c] = float(common * s.light[std::size_t(c)]);
        digitalScale[c] = float(s.colourGain[std::size_t(c)] / 16.0 * s.yGain / 8.0);
    }
    const auto tone = expandToneCurve(s.toneCurve);
    const float cbScale = float(s.cbSaturation) / 16.0f, crScale = float(s.crSaturation) / 16.0f;

    // The dark level rises with the front-end gain, and light leaks into the
    // black pixels when much of the sensor is flooded.
    const double darkLevel = s.blackLevel * (1.0 + (std::max(1.0, s.analogGain) - 1.0) * kGainDarkShare);
    const auto dark = float(darkLevel);
    const float offset = float(s.blackOffset);

    const int x0 = std::max(0, s.awbWindow.xStart), x1 = std::min(w - 1, s.awbWindow.xEnd);
    const int y0 = std::max(0, s.awbWindow.yStart), y1 = std::min(h - 1, s.awbWindow.yEnd);
    std::array<std::uint64_t, 3> sums{};
    std::array<std::uint64_t, reg::kLuminanceCells> cellSums{};
    std::array<std::uint32_t, reg::kLuminanceCells> cellCounts{};
    std::uint64_t flooded = 0;

    for (int y = 0; y < h; ++y) {
        const int cellRow = y / reg::kGridCellHeight;
        const bool inWindowRow = y >= y0 && y <= y1;
        const std::uint8_t* in = &scene.rgb[std::size_t(y) * std::size_t(w) * 3];
        std::uint8_t* px = &out.image.pixels[std::size_t(y) * std::size_t(w) * 3];
        for (int x = 0; x < w; ++x, in += 3, px += 3) {
            int lin[3];
            for (int c = 0; c < 3; ++c) {
                const float signal = in[c] * signalScale[c];
                if (signal > 2.0f * 255.0f)
                    ++flooded;
                const float raw = std::min(kRawCeiling, signal + dark);
                lin[c] = clampByte((raw - offset) * digitalScale[c]);
            }
            const int luma = (77 * lin[0] + 150 * lin[1] + 29 * lin[2] + 128) >> 8;
            const int cellCol = x / reg::kGridCellWidth;
            if (cellRow < 8 && cellCol < 8) {
                cellSums[std::size_t(cellRow * 8 + cellCol)] += std::uint64_t(luma);
                ++cellCounts[std::size_t(cellRow * 8 + cellCol)];
            }
            if (inWindowRow && x >= x0 && x <= x1) {
                for (int c = 0; c < 3; ++c)
                    sums[std::size_t(c)] += std::uint64_t(lin[c]);
                ++out.statistics.whiteBalancePixels;
            }
            const float r = tone[std::size_t(lin[0])], g = tone[std::size_t(lin[1])], b = tone[std::size_t(lin[2])];
            px[0] = clampByte(0.299f * r + 0.587f * g + 0.114f * b);
            px[1] = clampByte(128.0f + (-0.168736f * r - 0.331264f * g + 0.5f * b) * cbScale);
            px[2] = clampByte(128.0f + (0.5f * r - 0.418688f * g - 0.081312f * b) * crScale);
        }
    }

    for (std::size_t i = 0; i < cellSums.size(); ++i)
        out.statistics.luminanceGrid[i] =
            cellCounts[i] ? std::uint8_t((cellSums[i] + cellCounts[i] / 2) / cellCounts[i]) : 0;
    for (std::size_t c = 0; c < 3; ++c)
        out.statistics.whiteBalanceSums[c] = std::uint32_t(sums[c] & 0x07FFFFFF);
    const double samples = std::max(1.0, double(w) * h * 3);
    const double leak = kLeakPerSaturated * double(flooded) / samples;
    out.statistics.opticalBlack = std::uint8_t(std::clamp(std::lround(darkLevel + leak), 0L, 255L));
    return out;
}

}  // namespace qm::dualcam
