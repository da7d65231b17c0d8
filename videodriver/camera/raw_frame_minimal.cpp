// First-stage frame conversion: hands the frame out as the camera sent it
// (quality byte, 24-bit length, scan data), without the JPEG header or the
// decoding that the frame-assembly stage puts here.
#include "videodriver/camera/morvax_callbacks.h"
#include "videodriver/engine/frame_header.h"

namespace qm::morvax {

NTSTATUS MORVAX_ProcessRawVideoFrame(PDEVICE_OBJECT, PVOID context, PVOID frameContext, PVOID frameBuffer,
                                     ULONG frameLength,
                                     PVOID, PVOID rawDataPointer, ULONG, ULONG bytesReceived,
                                     PULONG bytesReturned)
{
    MorvaxContext* camera = morvaxContext(context);
    *bytesReturned = 0;
    const ULONG frameValid = frameContext != nullptr ? static_cast<MorvaxFrameContext*>(frameContext)->FrameValid
                                                     : camera->FrameValid;
    if (!frameValid) {
        camera->FrameValid = 1;
        ++camera->BadFrames;
        return STATUS_INSUFFICIENT_RESOURCES;
    }
    const auto* raw = static_cast<const UCHAR*>(rawDataPointer);
    const ULONG headerOffset = frameHeaderOffset(raw, bytesReceived);
    if (bytesReceived < headerOffset + kFrameHeaderBytes) {
        ++camera->BadFrames;
        return STATUS_INSUFFICIENT_RESOURCES;
    }
    const UCHAR* header = raw + headerOffset;
    ULONG length = ULONG(header[1]) | ULONG(header[2]) << 8 | ULONG(header[3]) << 16;
    if (length > bytesReceived)
        length = bytesReceived;
    if (length > frameLength)
        length = frameLength;
    RtlCopyMemory(frameBuffer, raw, length);
    *bytesReturned = length;
    ++camera->DeliveredFrames;
    return STATUS_SUCCESS;
}

}  // namespace qm::morvax
