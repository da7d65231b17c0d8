// Exposure and white balance, once per video frame. Until the exposure first
// settles (the settle counter, 50 frames from capture start) the AE loop
// runs on every frame whatever its enable; white balance waits for settled
// exposure and then runs on every AWB-rate-th frame.
#include "videodriver/camera/device_functions.h"
#include "videodriver/camera/exposure_hooks.h"
#include "videodriver/camera/frames/frame_outputs.h"
#include "videodriver/camera/sensor/sensor_types.h"

namespace qm::morvax {

namespace {

// White balance runs when the frame counter reaches this value.
constexpr ULONG kAwbFrame = 2;

}  // namespace

void runFrameSchedule(MorvaxContext* context)
{
    if (context->CDSType != kCdsElecvision)
        AdjustOBOffset(context);
    if (context->AESettleCounter > 0) {
        if (doAE(context))
            context->AESettleCounter = 0;
        else
            context->AWBFrameCounter = 0;
        if (context->AESettleCounter > 0)
            --context->AESettleCounter;
    } else if (context->AWBFrameCounter != kAwbFrame && context->AEEnable) {
        if (!doAE(context))
            context->AWBFrameCounter = 0;
    }
    if (context->AWBEnable) {
        if (context->AWBFrameCounter == kAwbFrame)
            DF_AdjustWhiteBalance(context);
        if (++context->AWBFrameCounter > context->AWBRate)
            context->AWBFrameCounter = 0;
    }
}

}  // namespace qm::morvax
