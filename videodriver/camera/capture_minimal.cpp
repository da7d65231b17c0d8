// First-stage capture start and stop: just the register writes the camera
// needs to stream at the chosen size and rate. The sensor-programming stage
// replaces this with the full sequence (default image, picture controls,
// compression, exposure) and fills in the power-state save and restore.
#include "videodriver/camera/morvax_callbacks.h"
#include "videodriver/camera/registers/register_io.h"

namespace qm::morvax {

namespace {

constexpr USHORT kMasterRegister = 0x0410;
constexpr USHORT kFrameControlRegister = 0x1000;
constexpr USHORT kFrameRateRegister = 0x1019;

// Register values of the camera's default image.
constexpr UCHAR kMasterDefault = 0xB8;
constexpr UCHAR kFrameControlDefault = 0xA0;
constexpr UCHAR kFrameRateDefault = 0x01;

// 0410 at capture start: run (bits 1, 2) and video mode (bits 3-5 = 7).
constexpr UCHAR kMasterRun = 0x06;
constexpr UCHAR kMasterVideoMode = 0x38;
// Still pictures are sent at the frame-rate field's value 3.
constexpr ULONG kStillFrameRateIndex = 3;

// The frame size code of 1000 bits 2-4 by frame width; -1 leaves the field.
LONG frameSizeCode(ULONG width)
{
    switch (width) {
    case 640: return 0;
    case 352: return 2;
    case 320: return 3;
    case 176: return 6;
    case 160: return 7;
    default: return -1;
    }
}

void resetFrameState(MorvaxContext* camera)
{
    camera->EndOfFrame = 0;
    camera->BadPacketCount = 0;
    camera->FrameValid = 1;
    camera->GoodFrames = 0;
    camera->DeliveredFrames = 0;
    camera->BadFrames = 0;
    camera->RunningTotal = 0;
    camera->AESettleCounter = 50;
    camera->StillDownloadFailed = 0;
}

}  // namespace

NTSTATUS MORVAX_StartCapture(PDEVICE_OBJECT, PVOID context)
{
    MorvaxContext* camera = morvaxContext(context);
    resetFrameState(camera);

    UCHAR frameControl = kFrameControlDefault;
    if (const LONG code = frameSizeCode(camera->Width); code >= 0)
        frameControl = UCHAR((frameControl & ~0x1C) | (code << 2));
    const ULONG rateIndex = camera->StillMode ? kStillFrameRateIndex : camera->FrameRateIndex;
    const UCHAR frameRate = UCHAR((kFrameRateDefault & ~0x38) | ((rateIndex & 7) << 3));

    NTSTATUS status = writeCameraRegister(camera, kFrameControlRegister, frameControl);
    if (NT_SUCCESS(status))
        status = writeCameraRegister(camera, kFrameRateRegister, frameRate);
    if (NT_SUCCESS(status))
        status = writeCameraRegister(camera, kMasterRegister, kMasterDefault | kMasterRun | kMasterVideoMode);
    return NT_SUCCESS(status) ? STATUS_SUCCESS : STATUS_IO_DEVICE_ERROR;
}

NTSTATUS MORVAX_StopCapture(PDEVICE_OBJECT, PVOID context)
{
    MorvaxContext* camera = morvaxContext(context);
    camera->CameraMode = 0;
    writeCameraRegister(camera, kMasterRegister, kMasterDefault);
    return STATUS_SUCCESS;
}

NTSTATUS MORVAX_SaveState(PVOID) { return STATUS_SUCCESS; }

NTSTATUS MORVAX_RestoreState(PVOID) { return STATUS_SUCCESS; }

}  // namespace qm::morvax
