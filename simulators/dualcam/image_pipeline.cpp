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

    // The dark level rises with the front-end gain.
    const double darkLevel = s.blackLevel * (1.0 + (std::max(1.0, s.analogGain) - 1.0) * kGainDarkShare);

    // Every step up to the compressor depends on one channel's reflectance
    // byte only, so it folds into per-channel tables: reflectance -> linear
    // value, and linear value -> its share of Y, Cb and Cr after the tone curve.
    const double common = s.brightness * s.exposure * s.analogGain * kFullScaleSignal / 255.0;
    std::array<std::array<std::uint8_t, 256>, 3> linear{};
    std::array<std::array<bool, 256>, 3> floods{};
    for (std::size_t c = 0; c < 3; ++c) {
        const double signalScale = common * s.light[c];
        const double digital = s.colourGain[c] / 16.0 * s.yGain / 8.0;
        for (int v = 0; v < 256; ++v) {
            const double signal = v * signalScale;
            floods[c][std::size_t(v)] = signal > 2.0 * 255.0;
            const double raw = std::min<double>(kRawCeiling, signal + darkLevel);
            linear[c][std::size_t(v)] = clampByte(float((raw - s.blackOffset) * digital));
        }
    }
    const auto tone = expandToneCurve(s.toneCurve);
    constexpr double kOne = 65536.0;
    constexpr double kToY[3] = {0.299, 0.587, 0.114};
    constexpr double kToCb[3] = {-0.168736, -0.331264, 0.5};
    constexpr double kToCr[3] = {0.5, -0.418688, -0.081312};
    const double cbScale = s.cbSaturation / 16.0, crScale = s.crSaturation / 16.0;
    std::array<std::array<std::int32_t, 256>, 3> toY{}, toCb{}, toCr{};
    for (std::size_t c = 0; c < 3; ++c) {
        for (std::size_t v = 0; v < 256; ++v) {
            toY[c][v] = std::int32_t(std::lround(kToY[c] * tone[v] * kOne));
            toCb[c][v] = std::int32_t(std::lround(kToCb[c] * cbScale * tone[v] * kOne));
            toCr[c][v] = std::int32_t(std::lround(kToCr[c] * crScale * tone[v] * kOne));
        }
    }
    auto fixedToByte = [](std::int32_t v) { return std::uint8_t(std::clamp((v + 32768) >> 16, 0, 255)); };
    constexpr std::int32_t kChromaZero = 128 << 16;

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
            const std::uint8_t r = linear[0][in[0]], g = linear[1][in[1]], b = linear[2][in[2]];
            flooded += unsigned(floods[0][in[0]]) + unsigned(floods[1][in[1]]) + unsigned(floods[2][in[2]]);
            const int luma = (77 * r + 150 * g + 29 * b + 128) >> 8;
            const int cellCol = x / reg::kGridCellWidth;
            if (cellRow < 8 && cellCol < 8) {
                cellSums[std::size_t(cellRow * 8 + cellCol)] += std::uint64_t(luma);
                ++cellCounts[std::size_t(cellRow * 8 + cellCol)];
            }
            if (inWindowRow && x >= x0 && x <= x1) {
                sums[0] += r;
                sums[1] += g;
                sums[2] += b;
                ++out.statistics.whiteBalancePixels;
            }
            px[0] = fixedToByte(toY[0][r] + toY[1][g] + toY[2][b]);
            px[1] = fixedToByte(kChromaZero + toCb[0][r] + toCb[1][g] + toCb[2][b]);
            px[2] = fixedToByte(kChromaZero + toCr[0][r] + toCr[1][g] + toCr[2][b]);
        }
    }

    for (std::size_t i = 0; i < cellSums.size(); ++i)
        out.statistics.luminanceGrid[i] =
            cellCounts[i] ? std::uint8_t((cellSums[i] + cellCounts[i] / 2) / cellCounts[i]) : 0;
    for (std::size_t c = 0; c < 3; ++c)
        out.statistics.whiteBalanceSums[c] = std::uint32_t(sums[c] & 0x07FFFFFF);
    // Light leaks into the black pixels when much of the sensor is flooded.
    const double samples = std::max(1.0, double(w) * h * 3);
    const double leak = kLeakPerSaturated * double(flooded) / samples;
    out.statistics.opticalBlack = std::uint8_t(std::clamp(std::lround(darkLevel + leak), 0L, 255L));
    return out;
}

}  // namespace qm::dualcam
