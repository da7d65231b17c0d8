// Video frames: RGB24 is decoded from a JPEG assembled in the read's own raw
// buffer (the header goes into the bytes reserved in front of the scan
// data); MJPG is the JPEG itself, in the output buffer.
#include "videodriver/camera/frames/frame_jpeg.h"
#include "videodriver/camera/frames/frame_outputs.h"
#include "videodriver/engine/frame_header.h"
#include "videodriver/jpeg/jpeg_header.h"

namespace qm::morvax {

namespace {

// The header ends where the scan data begin, over the 4-byte frame header.
constexpr ULONG kHeaderReach = kJpegHeaderSize - kFrameHeaderBytes;

ULONG outputLength(const RawFrame& frame) { return frame.length + kJpegHeaderSize; }

}  // namespace

ULONG rgb24Output(MorvaxContext* context, const RawFrame& frame, const RawBuffer& raw, const FrameOutput& out,
                  ULONG samplingType)
{
    const ULONG bitmapBytes = context->Width * context->Height * 3;
    if (raw.start == nullptr || frame.data < raw.start || ULONG(frame.data - raw.start) < kHeaderReach ||
        out.buffer == nullptr || out.size < bitmapBytes)
        return 0;
    const PUCHAR jpeg = frame.data - kHeaderReach;
    if (!writeFrameHeader(context, jpeg, frame, samplingType))
        return 0;
    // What arrived: the header and the scan data behind the frame header.
    const ULONG jpegLength = kHeaderReach + frame.length;
    if (!decodeFrame(context, jpeg, jpegLength, out.buffer, out.size))
        return 0;
    if (context->SoftwareSnapshot)
        keepLastFrame(context, jpeg, jpegLength, outputLength(frame));
    return bitmapBytes;
}

ULONG mjpgOutput(MorvaxContext* context, const RawFrame& frame, const FrameOutput& out, ULONG samplingType)
{
    const ULONG total = outputLength(frame);
    if (out.buffer == nullptr || out.size < total || !writeFrameHeader(context, out.buffer, frame, samplingType))
        return 0;
    setJpegHeaderQuality({out.buffer, kJpegHeaderSize}, frame.quality);
    copyFrameBytes(frame, kFrameHeaderBytes, out.buffer + kJpegHeaderSize, frame.length);
    // A snapshot takes only a frame that decodes.
    if (context->SoftwareSnapshot && context->DecodeScratch != nullptr &&
        decodeFrame(context, out.buffer, total, context->DecodeScratch, kDecodeScratchSize))
        keepLastFrame(context, out.buffer, total, total);
    return total;
}

}  // namespace qm::morvax
