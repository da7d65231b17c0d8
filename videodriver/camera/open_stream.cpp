// Opening the capture or still pin: the proposed format decides the frame
// size, output and rate; the engine then opens the channel and takes the
// bandwidth.
#include "videodriver/camera/adapter_receive_packet.h"
#include "videodriver/camera/camera_filters.h"
#include "videodriver/camera/format_match.h"
#include "videodriver/camera/frame_rate.h"
#include "videodriver/camera/morvax_callbacks.h"
#include "videodriver/camera/settings_key.h"
#include "videodriver/camera/stills/still_camera.h"
#include "videodriver/camera/video_formats.h"
#include "videodriver/engine/adapter_dispatch.h"

namespace qm::morvax {

namespace {

constexpr LONG kSmallFrameWidth = 176;
constexpr LONG kSmallFrameHeight = 144;

void fail(PHW_STREAM_REQUEST_BLOCK srb, NTSTATUS status)
{
    srb->Status = status;
    StreamClassDeviceNotification(DeviceRequestComplete, srb->HwDeviceExtension, srb);
}

}  // namespace

void MORVAX_OpenStream(PHW_STREAM_REQUEST_BLOCK srb)
{
    auto* format = reinterpret_cast<const KS_DATAFORMAT_VIDEOINFOHEADER*>(srb->CommandData.OpenFormat);
    // Nothing of the proposal is read before its size says it is all there.
    if (format == nullptr || format->DataFormat.FormatSize < sizeof(KS_DATAFORMAT_VIDEOINFOHEADER)) {
        fail(srb, STATUS_INVALID_PARAMETER);
        return;
    }
    const ULONG rate = frameRateTenths(format->VideoInfoHeader.AvgTimePerFrame);

    MorvaxContext* camera = morvaxContext(USBCAMD_AdapterReceivePacket(srb, &MorvaxCallbacks, nullptr, FALSE));
    // The open stream's settings stay as they are: the engine refuses a
    // second open before anything of it is applied.
    if (USBCAMD_IsStreamOpen(camera)) {
        USBCAMD_AdapterReceivePacket(srb, &MorvaxCallbacks, nullptr, TRUE);
        return;
    }
    writeActiveMorvax(camera);

    PHW_STREAM_OBJECT streamObject = srb->StreamObject;
    camera->StillMode = streamObject->StreamNumber == kStillStream;
    camera->SoftwareSnapshot = 0;
    camera->HardwareSnapshot = 0;
    streamObject->ReceiveDataPacket = MORVAX_ReceiveDataPacket;
    streamObject->ReceiveControlPacket = MORVAX_ReceiveCtrlPacket;

    if (!AdapterVerifyFormat(format, streamObject->StreamNumber, nullptr)) {
        fail(srb, STATUS_INVALID_PARAMETER);
        return;
    }
    const KS_BITMAPINFOHEADER& bitmap = format->VideoInfoHeader.bmiHeader;
    camera->Width = ULONG(bitmap.biWidth);
    camera->Height = ULONG(bitmap.biHeight);
    camera->OutputCompression = bitmap.biCompression;
    AdapterSetFrameRate(camera, rate);

    // The last bandwidth grant was too small for anything bigger.
    if (camera->AlternateSetting > kLargestSmallFrameAlternate &&
        (bitmap.biWidth > kSmallFrameWidth || bitmap.biHeight > kSmallFrameHeight)) {
        fail(srb, STATUS_INSUFFICIENT_RESOURCES);
        return;
    }
    // The flash chip may have changed with the camera: its size is read
    // again at every open.
    UpdateFlashMemSize(camera);
    camera->StreamOpened = 1;
    USBCAMD_AdapterReceivePacket(srb, &MorvaxCallbacks, nullptr, TRUE);
}

}  // namespace qm::morvax
