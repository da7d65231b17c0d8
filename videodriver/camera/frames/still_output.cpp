// Stored pictures from the still pin: a JPEG file with the picture count and
// number in its APP0 segment. A picture that carries the camera's FF E1
// segment keeps it, between the Huffman tables and the start of scan.
#include "platform/system/byte_order.h"
#include "videodriver/camera/frames/frame_jpeg.h"
#include "videodriver/camera/frames/frame_outputs.h"
#include "videodriver/engine/frame_header.h"
#include "videodriver/jpeg/jpeg_header.h"

namespace qm::morvax {

namespace {

constexpr USHORT kNoPictureIndex = 0xFFFF;

// The picture's number: the camera names its entry of the picture table in
// the frame's last two bytes; without a table, or without a usable entry,
// the running number stands. The running number then moves past it.
USHORT pictureNumberOf(MorvaxContext* context, const RawFrame& frame)
{
    ULONG number = context->CurrentPicture;
    if (context->PictureTableValid && context->PictureTable != nullptr) {
        const USHORT entry = sys::readLe16(frame.data + frame.length - 2);
        if (entry != kNoPictureIndex && entry < context->PictureTableSize)
            number = context->PictureTable[entry];
    }
    context->CurrentPicture = number + 1;
    return USHORT(number);
}

}  // namespace

ULONG stillOutput(MorvaxContext* context, const RawFrame& frame, const FrameOutput& out)
{
    const ULONG total = frame.length + kJpegHeaderSize;
    if (out.buffer == nullptr || out.size < total || !writeFrameHeader(context, out.buffer, frame, kSampling2x1))
        return 0;
    const std::span<std::uint8_t> header(out.buffer, kJpegHeaderSize);
    setJpegHeaderQuality(header, frame.quality);
    setJpegHeaderPicture(header, USHORT(context->PictureCount), pictureNumberOf(context, frame));

    if (frame.headerOffset == 0) {
        copyFrameBytes(frame, kFrameHeaderBytes, out.buffer + kJpegHeaderSize, frame.length);
        return total;
    }
    // Tables, the camera's segment, the start of scan, the scan data.
    PUCHAR at = out.buffer + kScanHeaderOffset;
    copyFrameBytes(frame, 0, at, kAppSegmentBytes);
    at += kAppSegmentBytes;
    RtlCopyMemory(at, context->JpegHeader + kScanHeaderOffset, kScanHeaderSize);
    at += kScanHeaderSize;
    copyFrameBytes(frame, kAppSegmentBytes + kFrameHeaderBytes, at, frame.length - kAppSegmentBytes);
    return total;
}

}  // namespace qm::morvax
