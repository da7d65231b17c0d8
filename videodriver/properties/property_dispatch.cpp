// SRB_GET_DEVICE_PROPERTY and SRB_SET_DEVICE_PROPERTY: the set's GUID
// picks the handler.
#include "videodriver/camera/device_properties.h"
#include "videodriver/properties/morvax_properties.h"
#include "videodriver/properties/property_request.h"

namespace qm::morvax {

namespace {

using Handler = NTSTATUS (*)(MorvaxContext*, PropertyRequest&);

struct SetHandlers {
    const GUID* set;
    Handler get;
    Handler put;
};

constexpr SetHandlers kHandlers[] = {
    {&PROPSETID_VIDCAP_VIDEOPROCAMP, getVideoProcAmp, setVideoProcAmp},
    {&PROPSETID_VIDCAP_CAMERACONTROL, getCameraControl, setCameraControl},
    {&PROPSETID_MORVAX_CUSTOM, getCustomProperty, setCustomProperty},
    {&PROPSETID_VIDCAP_VIDEOCONTROL, getVideoControl, setVideoControl},
};

NTSTATUS dispatch(PHW_STREAM_REQUEST_BLOCK srb, MorvaxContext* context, bool set)
{
    srb->ActualBytesTransferred = 0;
    const PSTREAM_PROPERTY_DESCRIPTOR info = srb->CommandData.PropertyInfo;
    if (context == nullptr || info == nullptr || info->Property == nullptr ||
        info->PropertyInputSize < sizeof(KSPROPERTY))
        return STATUS_INVALID_PARAMETER;
    PropertyRequest request(srb);
    for (const SetHandlers& handlers : kHandlers)
        if (*handlers.set == info->Property->Set)
            return set ? handlers.put(context, request) : handlers.get(context, request);
    return STATUS_NOT_IMPLEMENTED;
}

}  // namespace

NTSTATUS answerValue(PropertyRequest& request, LONG value, ULONG flags, ULONG capabilities)
{
    ValueRecord record{};
    request.property(record);
    record.Value = value;
    record.Flags = flags;
    record.Capabilities = capabilities;
    return request.answer(record) ? STATUS_SUCCESS : STATUS_BUFFER_TOO_SMALL;
}

bool requestedValue(const PropertyRequest& request, LONG& value)
{
    ValueRecord record{};
    if (!request.value(record))
        return false;
    value = record.Value;
    return true;
}

void AdapterGetProperty(PHW_STREAM_REQUEST_BLOCK srb, MorvaxContext* context)
{
    srb->Status = STATUS_SUCCESS;
    srb->Status = dispatch(srb, context, false);
}

void AdapterSetProperty(PHW_STREAM_REQUEST_BLOCK srb, MorvaxContext* context)
{
    srb->Status = STATUS_SUCCESS;
    srb->Status = dispatch(srb, context, true);
}

}  // namespace qm::morvax
