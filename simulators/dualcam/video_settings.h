// What the registers ask of the video path: frame size (1000 bits 2-4),
// frame rate (1019 bits 3-5) and the picture settings of the pipeline.
#pragma once

#include "simulators/dualcam/front_end.h"
#include "simulators/dualcam/image_pipeline.h"
#include "simulators/dualcam/register_file.h"
#include "simulators/dualcam/scene.h"

#include <cstdint>

namespace qm::dualcam {

struct FrameSize {
    int width = 640;
    int height = 480;
};

// Size codes 0 (640 x 480), 2 (352 x 288), 3 (320 x 240), 6 (176 x 144) and
// 7 (160 x 120); the other codes select 640 x 480.
FrameSize frameSizeForCode(int code);
FrameSize frameSize(const RegisterFile& registers);

// Frames per second by frame-rate index 0..7.
int framesPerSecond(int rateIndex);
int frameRateIndex(const RegisterFile& registers);

// Normal sensor frame timing in lines; the shutter counts lines off it.
inline constexpr int kNormalFrameLines = 524;

// The sensor's frame timing (0991-0992) in lines; longer timings expose
// longer and slow the frame rate down.
int frameLines(const RegisterFile& registers);

// Microseconds from one frame to the next.
std::uint64_t framePeriodUs(const RegisterFile& registers);

PipelineSettings pipelineSettings(const RegisterFile& registers, const FrontEnd& frontEnd, const SceneConfig& scene,
                                  int darkLevel);

}  // namespace qm::dualcam
