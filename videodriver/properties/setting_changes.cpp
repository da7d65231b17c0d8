#include "videodriver/properties/setting_changes.h"

#include "videodriver/camera/device_functions.h"
#include "videodriver/camera/register_shadow.h"
#include "videodriver/engine/adapter_dispatch.h"
#include "videodriver/exposure/auto_exposure.h"

namespace qm::morvax {

namespace {

constexpr LONG kLargestPictureValue = 63;
constexpr LONG kLargestGammaIndex = 15;
constexpr LONG kLargestLightSource = 2;

constexpr USHORT kMaster = 0x0410;
constexpr UCHAR kRunBits = bitField(2, 1);

bool inRange(LONG value, LONG largest) { return value >= 0 && value <= largest; }

// Stores a picture control and writes it with its DF_* function.
NTSTATUS store(MorvaxContext* context, ULONG& setting, LONG value, LONG largest,
               ULONG (*apply)(MorvaxContext*))
{
    if (!inRange(value, largest))
        return STATUS_INVALID_PARAMETER;
    setting = ULONG(value);
    if (apply != nullptr)
        apply(context);
    return STATUS_SUCCESS;
}

}  // namespace

NTSTATUS changeBrightness(MorvaxContext* context, LONG value)
{
    const NTSTATUS status = store(context, context->Brightness, value, kLargestPictureValue, nullptr);
    if (NT_SUCCESS(status))
        context->AESettleCounter = kSettleFramesAfterChange;
    return status;
}

NTSTATUS changeContrast(MorvaxContext* context, LONG value)
{
    return store(context, context->Contrast, value, kLargestPictureValue, DF_SetContrast);
}

NTSTATUS changeSaturation(MorvaxContext* context, LONG value)
{
    return store(context, context->Saturation, value, kLargestPictureValue, DF_SetSaturation);
}

NTSTATUS changeSharpness(MorvaxContext* context, LONG value)
{
    return store(context, context->Sharpness, value, kLargestPictureValue, DF_SetSharpness);
}

NTSTATUS changeHue(MorvaxContext* context, LONG value)
{
    return store(context, context->Hue, value, kLargestPictureValue, DF_SetHue);
}

NTSTATUS changeGamma(MorvaxContext* context, LONG value)
{
    return store(context, context->GammaIndex, value, kLargestGammaIndex, DF_SetGamma);
}

NTSTATUS changeAWBEnable(MorvaxContext* context, LONG value, bool adjustNow)
{
    const NTSTATUS status = store(context, context->AWBEnable, value, 1, nullptr);
    if (NT_SUCCESS(status) && adjustNow && value == 1)
        DF_AdjustWhiteBalance(context);
    return status;
}

NTSTATUS changeRedGain(MorvaxContext* context, LONG value)
{
    return store(context, context->RedGain, value, kLargestPictureValue, DF_SetRedHue);
}

NTSTATUS changeGreenGain(MorvaxContext* context, LONG value)
{
    return store(context, context->GreenGain, value, kLargestPictureValue, DF_SetGreenHue);
}

NTSTATUS changeBlueGain(MorvaxContext* context, LONG value)
{
    return store(context, context->BlueGain, value, kLargestPictureValue, DF_SetBlueHue);
}

NTSTATUS changeAEEnable(MorvaxContext* context, LONG value)
{
    const NTSTATUS status = store(context, context->AEEnable, value, 1, nullptr);
    // Switched off, the loop also stops settling.
    if (NT_SUCCESS(status) && value == 0)
        context->AESettleCounter = 0;
    return status;
}

NTSTATUS changeLightSource(MorvaxContext* context, LONG value)
{
    const NTSTATUS status = store(context, context->LightSource, value, kLargestLightSource, nullptr);
    if (!NT_SUCCESS(status))
        return status;
    GetAWBBound(context);
    context->AESettleCounter = kSettleFramesAfterChange;
    restartShutter(context);
    return STATUS_SUCCESS;
}

NTSTATUS changeFlickerless(MorvaxContext* context, LONG value)
{
    if (!inRange(value, 1))
        return STATUS_INVALID_PARAMETER;
    if (ULONG(value) == context->Flickerless)
        return STATUS_SUCCESS;
    // Flicker suppression is programmed at capture start: stop the camera,
    // and start it again when live video is running.
    DR_SetBits(kMaster, kRunBits, 0);
    DR_WriteRegister(context, kMaster, 1);
    context->Flickerless = ULONG(value);
    if (USBCAMD_IsStreamOpen(context) && !context->StillMode) {
        if (!DF_Init(context) || !DF_Setup(context) || !DF_Start(context))
            return STATUS_IO_DEVICE_ERROR;
    }
    return STATUS_SUCCESS;
}

NTSTATUS changeAGCEnable(MorvaxContext* context, LONG value)
{
    return store(context, context->AGCEnable, value, 1, nullptr);
}

}  // namespace qm::morvax
