// VideoControl: the flips the driver can report, the frame rates each size
// offers, and the mirror and flip mode (recorded and reported only: no
// frame is flipped).
#include "videodriver/properties/frame_rate_list.h"
#include "videodriver/properties/property_request.h"

namespace qm::morvax {

namespace {

constexpr ULONG kVideoControlCaps = KS_VideoControlFlag_FlipHorizontal | KS_VideoControlFlag_FlipVertical;
// A frame-rate buffer smaller than this is not looked at.
constexpr ULONG kLeastFrameRateBuffer = 56;

NTSTATUS frameRates(const MorvaxContext* context, PropertyRequest& request)
{
    KSPROPERTY_VIDEOCONTROL_FRAME_RATES_S asked{};
    if (!request.property(asked))
        return STATUS_INVALID_PARAMETER;
    FrameRateList list;
    if (!frameRateList(context, asked.Dimensions.cx, asked.Dimensions.cy, list))
        return STATUS_INVALID_PARAMETER;
    const ULONG needed = frameRateListBytes(list);
    if (request.valueSize() == 0) {
        request.setBytesReturned(needed);
        return STATUS_BUFFER_OVERFLOW;
    }
    if (request.valueSize() < kLeastFrameRateBuffer)
        return STATUS_NOT_SUPPORTED;
    // Longer lists do not fit the least buffer: never write past the caller's.
    if (request.valueSize() < needed)
        return STATUS_BUFFER_TOO_SMALL;
    writeFrameRateList(list, request.valueBuffer());
    request.setBytesReturned(needed);
    return STATUS_SUCCESS;
}

}  // namespace

NTSTATUS getVideoControl(MorvaxContext* context, PropertyRequest& request)
{
    switch (request.id()) {
    case KSPROPERTY_VIDEOCONTROL_CAPS: {
        KSPROPERTY_VIDEOCONTROL_CAPS_S caps{};
        request.property(caps);
        caps.VideoControlCaps = kVideoControlCaps;
        return request.answer(caps) ? STATUS_SUCCESS : STATUS_BUFFER_TOO_SMALL;
    }
    case KSPROPERTY_VIDEOCONTROL_FRAME_RATES:
        return frameRates(context, request);
    case KSPROPERTY_VIDEOCONTROL_MODE: {
        KSPROPERTY_VIDEOCONTROL_MODE_S mode{};
        request.property(mode);
        mode.Mode = (context->Mirror ? KS_VideoControlFlag_FlipHorizontal : 0) |
                    (context->Flip ? KS_VideoControlFlag_FlipVertical : 0);
        return request.answer(mode) ? STATUS_SUCCESS : STATUS_BUFFER_TOO_SMALL;
    }
    default:
        return STATUS_NOT_SUPPORTED;
    }
}

NTSTATUS setVideoControl(MorvaxContext* context, PropertyRequest& request)
{
    if (request.id() != KSPROPERTY_VIDEOCONTROL_MODE)
        return STATUS_SUCCESS;
    KSPROPERTY_VIDEOCONTROL_MODE_S mode{};
    if (!request.value(mode))
        return STATUS_BUFFER_TOO_SMALL;
    context->Mirror = (mode.Mode & KS_VideoControlFlag_FlipHorizontal) ? 1 : 0;
    context->Flip = (mode.Mode & KS_VideoControlFlag_FlipVertical) ? 1 : 0;
    return STATUS_SUCCESS;
}

}  // namespace qm::morvax
