#include "videodriver/camera/morvax_context.h"

namespace qm::morvax {

namespace {

// Colour-temperature factors: red factor in the high half, blue in the low
// half; 16 is neutral.
constexpr ULONG kNeutralColorTemperature = (16u << 16) | 16u;

}  // namespace

void morvaxSetDefaults(MorvaxContext* context)
{
    context->Signature = kMorvaxContextSignature;

    context->FrameRateIndex = 0;
    context->StillMode = 0;
    context->StreamOpened = 0;
    context->AlternateSetting = 0;

    context->EndOfFrame = 0;
    context->FrameValid = 1;
    context->BadPacketCount = 0;
    context->RunningTotal = 0;
    context->AnnouncedSize = 0;
    context->GoodFrames = 0;
    context->DeliveredFrames = 0;
    context->BadFrames = 0;

    context->Saturation = 45;
    context->Contrast = 48;
    context->Sharpness = 24;
    context->Hue = 32;
    context->GammaIndex = 0;
    context->Brightness = 32;
    context->RedGain = 20;
    context->GreenGain = 17;
    context->BlueGain = 18;
    context->Mirror = 0;
    context->Flip = 0;

    context->AWBEnable = 0;
    context->AWBRate = 4;
    context->AWBFrameCounter = 0;
    context->AWBWindowMode = 2;
    context->LightSource = 0;
    for (ULONG& temperature : context->ColorTemperature)
        temperature = kNeutralColorTemperature;
    context->AWBRedUpperBound = 24;
    context->AWBRedLowerBound = 13;
    context->AWBBlueUpperBound = 25;
    context->AWBBlueLowerBound = 13;
    for (UCHAR& entry : context->AWBHistory)
        entry = 0;

    context->AEEnable = 1;
    context->AESettleCounter = 50;
    context->AERate = 2;
    context->AEFrameCounter = 0;
    context->AEActive = 1;
    context->LuminanceAverage = 100;
    context->YGain = 8;
    context->YGainCeiling = 48;
    context->BrightnessMin = 64;
    context->BrightnessMax = 192;
    context->Flickerless = 0;
    context->AGCEnable = 1;
    context->OBLeakMax = 128;
    context->OBLeakMin = 48;
    context->AETarget = 128;
    context->GainMode = 1;
    context->BackLight = 0;

    context->DefaultVidFormat = kSize320x240;
    for (ULONG& minimum : context->MinFrameRate)
        minimum = 6;
    context->FirstAltSetting = 1;
    context->FirstSave = 1;
    context->CameraMode = 0;

    context->ManualGamma = 0;
    context->HardwareSnapshot = 0;
    context->SoftwareSnapshot = 0;
    context->StillDownloadFailed = 0;
    context->SnapshotFrameCounter = 0;
    context->PictureCount = 0;
    context->CurrentPicture = 1;
    context->RequestedPicture = 0;
    context->DownloadByNumber = 0;
    context->PictureTableValid = 0;
    for (ULONG& quality : context->QFactor)
        quality = 0;
}

}  // namespace qm::morvax
