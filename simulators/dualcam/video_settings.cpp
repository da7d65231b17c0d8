#include "simulators/dualcam/video_settings.h"

#include "simulators/dualcam/register_map.h"

#include <algorithm>
#include <array>

namespace qm::dualcam {

namespace {

constexpr std::array<int, 8> kFramesPerSecond = {30, 25, 20, 15, 10, 5, 3, 2};
// Frame timings outside this range are not ones the sensor can run.
constexpr int kMinFrameLines = 262;
constexpr int kMaxFrameLines = 2047;

double ccdExposure(const RegisterFile& registers)
{
    const int shutter = registers.le16(reg::kShutter);
    const double exposed = std::max(0.5, double(frameLines(registers) - shutter));
    return exposed / kNormalFrameLines;
}

}  // namespace

int frameLines(const RegisterFile& registers)
{
    const int lines = registers.le16(reg::kFrameLines);
    return (lines < kMinFrameLines || lines > kMaxFrameLines) ? kNormalFrameLines : lines;
}

std::uint64_t framePeriodUs(const RegisterFile& registers)
{
    const std::uint64_t period = 1000000u / std::uint64_t(framesPerSecond(frameRateIndex(registers)));
    const int lines = frameLines(registers);
    return lines > kNormalFrameLines ? period * std::uint64_t(lines) / kNormalFrameLines : period;
}

FrameSize frameSizeForCode(int code)
{
    switch (code) {
    case 2: return {352, 288};
    case 3: return {320, 240};
    case 6: return {176, 144};
    case 7: return {160, 120};
    default: return {640, 480};
    }
}

FrameSize frameSize(const RegisterFile& registers)
{
    return frameSizeForCode((registers.get(reg::kFrameControl) >> 2) & 0x07);
}

int framesPerSecond(int rateIndex) { return kFramesPerSecond[std::size_t(rateIndex & 7)]; }

int frameRateIndex(const RegisterFile& registers) { return (registers.get(reg::kFrameRate) >> 3) & 0x07; }

PipelineSettings pipelineSettings(const RegisterFile& registers, const FrontEnd& frontEnd, const SceneConfig& scene,
                                  int darkLevel)
{
    PipelineSettings s;
    s.light = scene.colourCast;
    s.brightness = scene.brightness;
    s.exposure = frontEnd.cmosSensor() ? frontEnd.cmosExposure() : ccdExposure(registers);
    s.analogGain = frontEnd.gainMultiplier();
    s.blackLevel = darkLevel;
    s.blackOffset = registers.get(reg::kOpticalBlackOffset);
    s.colourGain = {registers.get(reg::kRedGain), registers.get(reg::kGreenGain), registers.get(reg::kBlueGain)};
    s.yGain = registers.get(reg::kYGain) & 0x3F;
    for (std::size_t i = 0; i < reg::kToneCurvePoints; ++i)
        s.toneCurve[i] = registers.get(std::uint16_t(reg::kToneCurve + i));
    s.cbSaturation = registers.get(reg::kCbSaturation);
    s.crSaturation = registers.get(reg::kCrSaturation);
    s.awbWindow.xStart = registers.le16(reg::kAwbWindow);
    s.awbWindow.xEnd = registers.le16(reg::kAwbWindow + 2);
    s.awbWindow.yStart = registers.le16(reg::kAwbWindow + 4);
    s.awbWindow.yEnd = registers.le16(reg::kAwbWindow + 6);
    return s;
}

}  // namespace qm::dualcam
