#include "videodriver/properties/persisted_settings.h"

#include "videodriver/camera/device_functions.h"
#include "videodriver/camera/registry_strings.h"
#include "videodriver/camera/sensor/sensor_types.h"
#include "videodriver/camera/settings_key.h"
#include "videodriver/camera/stills/still_camera.h"
#include "videodriver/properties/registry_values.h"

namespace qm::morvax {

namespace {

using FieldOf = ULONG* (*)(MorvaxContext*);

struct StoredSetting {
    PCWSTR name;
    FieldOf field;
};

// Read at power-up, in this order.
const StoredSetting kRestored[] = {
    {registry::kBrightness, [](MorvaxContext* c) { return &c->Brightness; }},
    {registry::kHue, [](MorvaxContext* c) { return &c->Hue; }},
    {registry::kContrast, [](MorvaxContext* c) { return &c->Contrast; }},
    {registry::kSaturation, [](MorvaxContext* c) { return &c->Saturation; }},
    {registry::kSharpness, [](MorvaxContext* c) { return &c->Sharpness; }},
    {registry::kRedHue, [](MorvaxContext* c) { return &c->RedGain; }},
    {registry::kGreenHue, [](MorvaxContext* c) { return &c->GreenGain; }},
    {registry::kBlueHue, [](MorvaxContext* c) { return &c->BlueGain; }},
    {registry::kFirstAltSetting, [](MorvaxContext* c) { return &c->FirstAltSetting; }},
    {registry::kAERate, [](MorvaxContext* c) { return &c->AERate; }},
    {registry::kAEEnable, [](MorvaxContext* c) { return &c->AEEnable; }},
    {registry::kLightSource, [](MorvaxContext* c) { return &c->LightSource; }},
    {registry::kAWBEnable, [](MorvaxContext* c) { return &c->AWBEnable; }},
    {registry::kAWBRate, [](MorvaxContext* c) { return &c->AWBRate; }},
    {registry::kColorTempOffice, [](MorvaxContext* c) { return &c->ColorTemperature[0]; }},
    {registry::kColorTempHome, [](MorvaxContext* c) { return &c->ColorTemperature[1]; }},
    {registry::kColorTempOutdoors, [](MorvaxContext* c) { return &c->ColorTemperature[2]; }},
};
// (Flip and Mirror come next, as flags.)
const StoredSetting kRestoredAfterFlags[] = {
    {registry::kRGBUpperBound, [](MorvaxContext* c) { return &c->RGBUpperBound; }},
    {registry::kAWBWindow, [](MorvaxContext* c) { return &c->AWBWindowMode; }},
    {registry::kBrightnessMin, [](MorvaxContext* c) { return &c->BrightnessMin; }},
    {registry::kBrightnessMax, [](MorvaxContext* c) { return &c->BrightnessMax; }},
    {registry::kIsFlickerless, [](MorvaxContext* c) { return &c->Flickerless; }},
    {registry::kYUpperbound, [](MorvaxContext* c) { return &c->YGainCeiling; }},
    {registry::kOBLeakMax, [](MorvaxContext* c) { return &c->OBLeakMax; }},
    {registry::kOBLeakMin, [](MorvaxContext* c) { return &c->OBLeakMin; }},
};

// Written at power-down, in this order.
const StoredSetting kSaved[] = {
    {registry::kBrightness, [](MorvaxContext* c) { return &c->Brightness; }},
    {registry::kHue, [](MorvaxContext* c) { return &c->Hue; }},
    {registry::kRedHue, [](MorvaxContext* c) { return &c->RedGain; }},
    {registry::kGreenHue, [](MorvaxContext* c) { return &c->GreenGain; }},
    {registry::kBlueHue, [](MorvaxContext* c) { return &c->BlueGain; }},
    {registry::kContrast, [](MorvaxContext* c) { return &c->Contrast; }},
    {registry::kSaturation, [](MorvaxContext* c) { return &c->Saturation; }},
    {registry::kSharpness, [](MorvaxContext* c) { return &c->Sharpness; }},
    {registry::kLightSource, [](MorvaxContext* c) { return &c->LightSource; }},
    {registry::kFirstAltSetting, [](MorvaxContext* c) { return &c->FirstAltSetting; }},
    {registry::kColorTempOffice, [](MorvaxContext* c) { return &c->ColorTemperature[0]; }},
    {registry::kColorTempHome, [](MorvaxContext* c) { return &c->ColorTemperature[1]; }},
    {registry::kColorTempOutdoors, [](MorvaxContext* c) { return &c->ColorTemperature[2]; }},
    {registry::kIsFlickerless, [](MorvaxContext* c) { return &c->Flickerless; }},
    {registry::kAWBEnable, [](MorvaxContext* c) { return &c->AWBEnable; }},
    {registry::kAEEnable, [](MorvaxContext* c) { return &c->AEEnable; }},
};

constexpr ULONG kLeastAERate = 2;
constexpr ULONG kMostAERate = 15;
constexpr ULONG kMostAWBWindow = 2;
constexpr ULONG kMostToneCeiling = 255;
constexpr ULONG kMostYGain = 63;  // the Y gain field of 100E is six bits wide

bool read(const MorvaxContext* context, PCWSTR name, ULONG& value)
{
    return NT_SUCCESS(readSettingsDword(context, nullptr, name, &value));
}

template <ULONG N>
void readAll(MorvaxContext* context, const StoredSetting (&settings)[N])
{
    for (const StoredSetting& setting : settings)
        read(context, setting.name, *setting.field(context));
}

void readFlag(MorvaxContext* context, PCWSTR name, UCHAR& flag)
{
    ULONG value = 0;
    if (read(context, name, value))
        flag = value != 0 ? 1 : 0;
}

ULONG gammaIndexFor(ULONG cdsType)
{
    switch (cdsType) {
    case kCdsTasc: return 2;
    case kCdsToshiba: return 4;
    case kCdsElecvision: return 6;
    default: return 0;
    }
}

}  // namespace

VOID restorePersistedSettings(MorvaxContext* context)
{
    // The light source indexes per-source tables: a stored value beyond
    // them is not taken.
    const ULONG lightSource = context->LightSource;
    readAll(context, kRestored);
    if (context->LightSource >= kLightSources)
        context->LightSource = lightSource;
    readFlag(context, registry::kFlip, context->Flip);
    readFlag(context, registry::kMirror, context->Mirror);
    readAll(context, kRestoredAfterFlags);
    ULONG manualGamma = 0;
    const bool gammaStored = read(context, registry::kManualGamma, manualGamma);
    for (ULONG size = 0; size < kSizeCount; ++size)
        read(context, registry::kQFactor[size], context->QFactor[size]);

    if (context->AERate < kLeastAERate)
        context->AERate = kLeastAERate;
    if (context->AERate > kMostAERate)
        context->AERate = kMostAERate;
    if (context->AWBWindowMode > kMostAWBWindow)
        context->AWBWindowMode = kMostAWBWindow;
    if (context->RGBUpperBound > kMostToneCeiling)
        context->RGBUpperBound = kMostToneCeiling;
    if (context->YGainCeiling > kMostYGain)
        context->YGainCeiling = kMostYGain;
    context->ManualGamma = gammaStored && manualGamma != 0 ? 1 : 0;
    if (!context->ManualGamma)
        context->GammaIndex = gammaIndexFor(context->CDSType);
    GetAWBBound(context);
    SetHWSnapshotReg(context, FALSE);
}

BOOLEAN settingsSaved(const MorvaxContext* context)
{
    ULONG value = 0;
    return read(context, registry::kBrightness, value);
}

NTSTATUS savePersistedSettings(MorvaxContext* context)
{
    NTSTATUS status = STATUS_SUCCESS;
    for (const StoredSetting& setting : kSaved) {
        status = writeSettingsDword(context, nullptr, setting.name, *setting.field(context));
        if (!NT_SUCCESS(status))
            break;
    }
    return status;
}

}  // namespace qm::morvax
