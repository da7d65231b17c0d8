// The camera's compression setting (register 0A00): one byte fixes the
// quality byte Q; F8 28 and a 32-bit target ask the camera to keep frames
// near 4 x target bytes. Capture starts at Q 127 (the camera's first frames
// may be large); after the fifth frame the setting for the size and the
// bandwidth follows.
#include "platform/system/byte_order.h"
#include "videodriver/camera/device_functions.h"
#include "videodriver/camera/register_shadow.h"
#include "videodriver/camera/sensor/sensor_types.h"

namespace qm::morvax {

namespace {

constexpr USHORT kCompression = 0x0A00;
constexpr UCHAR kStartQuality = 0x7F;
constexpr UCHAR kQualityBits = 0x7F;
constexpr UCHAR kTargetTag[] = {0xF8, 0x28};

// Q at 640 x 480 by alternate setting (rows 0-2, 3, 4) and frame-rate index
// (columns 0..3, 4 and above).
constexpr UCHAR kFullSizeQuality[3][5] = {
    {64, 64, 64, 48, 32},
    {127, 112, 88, 64, 32},
    {127, 127, 104, 80, 40},
};
// Front ends from CDS type 5 on take one fixed Q at this size.
constexpr UCHAR kFullSizeQualityLateFrontEnds = 15;

LONG sizeIndexOf(ULONG width)
{
    switch (width) {
    case 160: return kSize160x120;
    case 176: return kSize176x144;
    case 320: return kSize320x240;
    case 352: return kSize352x288;
    case 640: return kSize640x480;
    default: return -1;
    }
}

ULONG sendQuality(MorvaxContext* context, UCHAR quality) { return DF_WriteBytes(context, kCompression, &quality, 1); }

UCHAR fullSizeQuality(const MorvaxContext* context)
{
    if (context->CDSType >= kCdsTasc)
        return kFullSizeQualityLateFrontEnds;
    const ULONG alternate = context->AlternateSetting;
    const ULONG row = alternate <= 2 ? 0 : alternate == 3 ? 1 : 2;
    const ULONG column = context->FrameRateIndex < 4 ? context->FrameRateIndex : 4;
    return kFullSizeQuality[row][column];
}

}  // namespace

ULONG DF_SetJpegCompression(MorvaxContext* context)
{
    if (context->DeliveredFrames == 0)
        return sendQuality(context, kStartQuality);
    const LONG size = sizeIndexOf(context->Width);
    if (size < 0)
        return 0;
    // A registry override counts only with some quality in its low bits.
    if (const UCHAR quality = UCHAR(context->QFactor[size] & kQualityBits); quality != 0)
        return sendQuality(context, quality);
    if (size == kSize640x480)
        return sendQuality(context, fullSizeQuality(context));
    const ULONG pixels = context->Width * context->Height;
    const ULONG target = size <= LONG(kSize176x144) ? pixels * 2 / 40 : pixels * 3 / 80;
    UCHAR command[6] = {kTargetTag[0], kTargetTag[1]};
    sys::writeLe32(command + 2, target);
    return DF_WriteBytes(context, kCompression, command, sizeof command);
}

}  // namespace qm::morvax
