#include "videodriver/camera/frames/raw_frame.h"

#include "videodriver/engine/frame_header.h"

namespace qm::morvax {

namespace {

// The restored start of the camera's application segment: marker and
// segment length 510.
constexpr UCHAR kAppSegmentStart[] = {0xFF, 0xE1, 0x01, 0xFE};
// Header, at least one byte of scan data and the two restored bytes.
constexpr ULONG kSmallestPayload = 3;

}  // namespace

bool readRawFrame(PUCHAR data, ULONG received, bool stillMode, RawFrame& frame)
{
    if (data == nullptr)
        return false;
    const ULONG offset = frameHeaderOffset(data, received);
    // The camera sends its segment with stored pictures only.
    if (offset != 0 && !stillMode)
        return false;
    if (received < offset + kFrameHeaderBytes + kSmallestPayload)
        return false;
    const PUCHAR header = data + offset;
    const ULONG length = ULONG(header[1]) | ULONG(header[2]) << 8 | ULONG(header[3]) << 16;
    if (length > received || length < offset + kFrameHeaderBytes + kSmallestPayload)
        return false;
    if (offset != 0)
        RtlCopyMemory(data, kAppSegmentStart, sizeof kAppSegmentStart);
    frame.data = data;
    frame.received = received;
    frame.headerOffset = offset;
    frame.quality = header[0];
    frame.length = length;
    return true;
}

void copyFrameBytes(const RawFrame& frame, ULONG offset, PUCHAR out, ULONG count)
{
    const ULONG available = offset < frame.received ? frame.received - offset : 0;
    const ULONG copied = count < available ? count : available;
    if (copied > 0)
        RtlCopyMemory(out, frame.data + offset, copied);
    if (copied < count)
        RtlZeroMemory(out + copied, count - copied);
}

}  // namespace qm::morvax
