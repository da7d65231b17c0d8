#include "videodriver/engine/frame_header.h"

namespace qm::morvax {

ULONG frameHeaderOffset(const UCHAR* raw, ULONG bytesReceived)
{
    if (bytesReceived > kAppSegmentBytes + kFrameHeaderBytes && raw[0] == 0xFF && raw[1] == 0xE1)
        return kAppSegmentBytes;
    return 0;
}

BOOLEAN fixUpFrameHeader(PUCHAR raw, ULONG bytesReceived, ULONG frameLength)
{
    if (frameLength != bytesReceived)
        return FALSE;
    const ULONG h = frameHeaderOffset(raw, bytesReceived);
    // The displaced bytes go back over the trailer, which must lie behind the header.
    if (frameLength < h + kFrameHeaderBytes + 2)
        return FALSE;
    PUCHAR header = raw + h;
    raw[frameLength - 2] = header[2];
    raw[frameLength - 1] = header[1];
    header[1] = UCHAR(frameLength);
    header[2] = UCHAR(frameLength >> 8);
    header[3] = UCHAR(frameLength >> 16);
    if (frameLength >= kOversizeFrameLength)
        header[1] = 0xFF;
    return TRUE;
}

}  // namespace qm::morvax
