// Capture start and stop on the camera: init (enable, default image,
// flicker), set-up (size, rate, compression, AWB window, exposure reset) and
// start (picture controls, run); stop reloads the default image.
#include "videodriver/camera/device_functions.h"
#include "videodriver/camera/exposure_hooks.h"
#include "videodriver/camera/morvax_callbacks.h"
#include "videodriver/camera/register_shadow.h"
#include "videodriver/camera/sensor/sensor_types.h"
#include "videodriver/camera/still_hooks.h"

namespace qm::morvax {

namespace {

constexpr USHORT kMaster = 0x0410;
constexpr USHORT kFrameControl = 0x1000;
constexpr USHORT kCameraModeRegister = 0x1004;
constexpr USHORT kFrameRate = 0x1019;

constexpr UCHAR kEnableField = bitField(1, 0);
constexpr UCHAR kRunField = bitField(2, 1);
constexpr UCHAR kVideoModeField = bitField(3, 3);
constexpr UCHAR kFrameSizeField = bitField(3, 2);
constexpr UCHAR kCameraModeField = bitField(1, 5);
constexpr UCHAR kFrameRateField = bitField(3, 3);

// Still pictures are sent at the frame-rate field's value 3.
constexpr ULONG kStillFrameRateIndex = 3;
constexpr ULONG kInitialAESettleFrames = 50;
constexpr LONGLONG kCameraModeSettle100ns = -1LL * 10000;  // 1 ms, relative

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

bool written(NTSTATUS status) { return NT_SUCCESS(status); }

void resetFrameState(MorvaxContext* camera)
{
    camera->EndOfFrame = 0;
    camera->BadPacketCount = 0;
    camera->FrameValid = 1;
    camera->GoodFrames = 0;
    camera->DeliveredFrames = 0;
    camera->BadFrames = 0;
    camera->RunningTotal = 0;
    camera->AnnouncedSize = 0;
    camera->AESettleCounter = kInitialAESettleFrames;
}

void waitFor(LONGLONG relative100ns)
{
    LARGE_INTEGER interval;
    interval.QuadPart = relative100ns;
    KeDelayExecutionThread(KernelMode, FALSE, &interval);
}

}  // namespace

ULONG DF_Init(MorvaxContext* context)
{
    DR_SetBits(kMaster, kEnableField, 1);
    if (!written(DR_WriteRegister(context, kMaster, 1)) || !written(DR_LoadDefaultTable(context)))
        return 0;
    if (!context->StillMode && context->Flickerless)
        return DF_SetFlickerlessReg(context);
    return 1;
}

ULONG DF_Stop(MorvaxContext* context) { return written(DR_LoadDefaultTable(context)) ? 1 : 0; }

ULONG DF_Setup(MorvaxContext* context)
{
    if (const LONG code = frameSizeCode(context->Width); code >= 0)
        DR_SetBits(kFrameControl, kFrameSizeField, ULONG(code));
    if (!written(DR_WriteRegister(context, kFrameControl, 1)))
        return 0;
    DR_SetBits(kFrameRate, kFrameRateField, context->StillMode ? kStillFrameRateIndex : context->FrameRateIndex);
    if (!written(DR_WriteRegister(context, kFrameRate, 1)))
        return 0;
    if (!context->StillMode && !DF_SetJpegCompression(context))
        return 0;
    if (!SetAWBWindow(context))
        return 0;
    RtlZeroMemory(context->AWBHistory, sizeof context->AWBHistory);
    if (!context->StillMode)
        ResetAE(context);
    return 1;
}

ULONG DF_Start(MorvaxContext* context)
{
    if (context->StillMode)
        return DF_SendPictureRequest(context);
    if (context->CameraMode) {
        DR_SetBits(kCameraModeRegister, kCameraModeField, 1);
        if (!written(DR_WriteRegister(context, kCameraModeRegister, 1)))
            return 0;
        waitFor(kCameraModeSettle100ns);
    } else if (!(DF_SetContrast(context) && DF_SetSaturation(context) && DF_SetSharpness(context) &&
                 DF_SetGamma(context) && DF_SetRedHue(context) && DF_SetGreenHue(context) &&
                 DF_SetBlueHue(context))) {
        return 0;
    }
    DR_SetBits(kMaster, kRunField, 3);
    DR_SetBits(kMaster, kVideoModeField, 7);
    return written(DR_WriteRegister(context, kMaster, 1)) ? 1 : 0;
}

NTSTATUS MORVAX_StartCapture(PDEVICE_OBJECT, PVOID context)
{
    MorvaxContext* camera = morvaxContext(context);
    if (!DF_Init(camera))
        return STATUS_IO_DEVICE_ERROR;
    resetFrameState(camera);
    if (camera->CCDType == kCcdCmos && !DF_EnableSifI2C(camera))
        return STATUS_IO_DEVICE_ERROR;
    if (!DF_Setup(camera) || !DF_Start(camera))
        return STATUS_IO_DEVICE_ERROR;
    return STATUS_SUCCESS;
}

NTSTATUS MORVAX_StopCapture(PDEVICE_OBJECT, PVOID context)
{
    MorvaxContext* camera = morvaxContext(context);
    DF_Stop(camera);
    camera->CameraMode = 0;
    return STATUS_SUCCESS;
}

}  // namespace qm::morvax
