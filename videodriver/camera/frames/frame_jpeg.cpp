#include "videodriver/camera/frames/frame_jpeg.h"

#include "videodriver/camera/driver_globals.h"
#include "videodriver/jpeg/jpeg_decoder.h"
#include "videodriver/jpeg/jpeg_header.h"

namespace qm::morvax {

bool writeFrameHeader(const MorvaxContext* context, PUCHAR out, const RawFrame& frame, ULONG samplingType)
{
    if (context->JpegHeader == nullptr)
        return false;
    RtlCopyMemory(out, context->JpegHeader, kJpegHeaderSize);
    return ModifyJPEGHeader({out, kJpegHeaderSize}, context->Height, context->Width, frame.quality, frame.length,
                            samplingType);
}

bool decodeFrame(const MorvaxContext* context, const UCHAR* jpeg, ULONG length, PUCHAR out, ULONG outSize)
{
    g_driverGlobals.DecodeError = FALSE;
    JpegDecodeDescriptor descriptor;
    descriptor.input = jpeg;
    descriptor.inputLength = length;
    descriptor.output = out;
    descriptor.outputSize = outSize;
    const bool decoded = decodeJpegFrame(&descriptor) && descriptor.outputWidth == context->Width &&
                         descriptor.outputHeight == context->Height;
    if (!decoded)
        g_driverGlobals.DecodeError = TRUE;
    return decoded;
}

void keepLastFrame(MorvaxContext* context, const UCHAR* jpeg, ULONG available, ULONG total)
{
    if (context->LastFrame == nullptr || total > kLastFrameSize || available > total)
        return;
    RtlCopyMemory(context->LastFrame, jpeg, available);
    RtlZeroMemory(context->LastFrame + available, total - available);
    context->LastFrameLength = total;
    context->SoftwareSnapshot = 0;
}

}  // namespace qm::morvax
