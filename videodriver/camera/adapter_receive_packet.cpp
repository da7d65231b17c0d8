#include "videodriver/camera/adapter_receive_packet.h"

#include "videodriver/camera/device_properties.h"
#include "videodriver/camera/format_match.h"
#include "videodriver/camera/morvax_callbacks.h"
#include "videodriver/camera/register_shadow.h"
#include "videodriver/camera/video_formats.h"
#include "videodriver/engine/adapter_dispatch.h"

namespace qm::morvax {

namespace {

MorvaxContext* contextOnly(PHW_STREAM_REQUEST_BLOCK srb)
{
    return morvaxContext(USBCAMD_AdapterReceivePacket(srb, &MorvaxCallbacks, nullptr, FALSE));
}

void completeDeviceRequest(PHW_STREAM_REQUEST_BLOCK srb)
{
    StreamClassDeviceNotification(DeviceRequestComplete, srb->HwDeviceExtension, srb);
}

}  // namespace

VOID MORVAX_AdapterReceivePacket(PHW_STREAM_REQUEST_BLOCK srb)
{
    switch (srb->Command) {
    case SRB_GET_STREAM_INFO:
        srb->Status = STATUS_SUCCESS;
        MORVAX_AdapterStreamInfo(srb, contextOnly(srb));
        completeDeviceRequest(srb);
        break;
    case SRB_OPEN_STREAM:
        MORVAX_OpenStream(srb);
        break;
    case SRB_GET_DEVICE_PROPERTY:
        AdapterGetProperty(srb, contextOnly(srb));
        completeDeviceRequest(srb);
        break;
    case SRB_SET_DEVICE_PROPERTY:
        AdapterSetProperty(srb, contextOnly(srb));
        completeDeviceRequest(srb);
        break;
    case SRB_PAGING_OUT_DRIVER: {
        // The camera goes back to its default image.
        MorvaxContext* camera = contextOnly(srb);
        USBCAMD_AdapterReceivePacket(srb, &MorvaxCallbacks, nullptr, TRUE);
        DR_LoadDefaultTable(camera);
        break;
    }
    case SRB_GET_DATA_INTERSECTION:
        srb->Status = AdapterFormatFromRange(srb);
        completeDeviceRequest(srb);
        break;
    default:
        USBCAMD_AdapterReceivePacket(srb, &MorvaxCallbacks, nullptr, TRUE);
        break;
    }
}

}  // namespace qm::morvax
