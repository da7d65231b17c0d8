// MORVAX_ProcessRawVideoFrame: one finished frame to what the application
// asked for, then the per-frame work of video capture (compression setting,
// exposure and white balance) and the frame counters.
#include "videodriver/camera/device_functions.h"
#include "videodriver/camera/frames/frame_outputs.h"
#include "videodriver/camera/morvax_callbacks.h"
#include "videodriver/jpeg/jpeg_header.h"

namespace qm::morvax {

namespace {

// The camera's own compression setting replaces the start-up one once this
// many frames are out.
constexpr ULONG kFramesBeforeCompressionSetting = 5;

ULONG samplingTypeFor(const MorvaxContext* context)
{
    if (context->StillMode || context->Width == 160 || context->Width == 176)
        return kSampling2x1;
    return kSampling411;
}

bool frameWasWhole(MorvaxContext* camera, PVOID frameContext)
{
    return (frameContext != nullptr ? static_cast<MorvaxFrameContext*>(frameContext)->FrameValid
                                    : camera->FrameValid) != 0;
}

ULONG convert(MorvaxContext* camera, const RawFrame& frame, const RawBuffer& raw, const FrameOutput& out)
{
    if (camera->StillMode)
        return stillOutput(camera, frame, out);
    const ULONG sampling = samplingTypeFor(camera);
    if (camera->OutputCompression == kCompressionMjpg)
        return mjpgOutput(camera, frame, out, sampling);
    const ULONG bytes = rgb24Output(camera, frame, raw, out, sampling);
    if (bytes != 0)
        markSnapshotButton(camera, out);
    return bytes;
}

}  // namespace

NTSTATUS MORVAX_ProcessRawVideoFrame(PDEVICE_OBJECT, PVOID context, PVOID frameContext, PVOID frameBuffer,
                                     ULONG frameLength, PVOID rawFrameBuffer, PVOID rawDataPointer,
                                     ULONG rawFrameLength, ULONG bytesReceived, PULONG bytesReturned)
{
    MorvaxContext* camera = morvaxContext(context);
    *bytesReturned = 0;

    RawFrame frame;
    const bool readable = readRawFrame(static_cast<PUCHAR>(rawDataPointer), bytesReceived, camera->StillMode != 0,
                                       frame);
    if (!camera->StillMode && camera->DeliveredFrames == kFramesBeforeCompressionSetting)
        DF_SetJpegCompression(camera);
    if (!frameWasWhole(camera, frameContext)) {
        camera->FrameValid = 1;
        return STATUS_INSUFFICIENT_RESOURCES;
    }

    ULONG bytes = 0;
    if (readable) {
        const RawBuffer raw{static_cast<PUCHAR>(rawFrameBuffer), rawFrameLength};
        bytes = convert(camera, frame, raw, {static_cast<PUCHAR>(frameBuffer), frameLength});
        if (!camera->StillMode)
            runFrameSchedule(camera);
    }

    if (bytes == 0) {
        ++camera->BadFrames;
        return STATUS_INSUFFICIENT_RESOURCES;
    }
    *bytesReturned = bytes;
    ++camera->DeliveredFrames;
    return STATUS_SUCCESS;
}

}  // namespace qm::morvax
