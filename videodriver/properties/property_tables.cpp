// The four device property sets as the driver publishes them, with their
// ranges and defaults. The handlers (property_dispatch.cpp) also answer a
// few ids the sets leave out.
#include "videodriver/camera/device_properties.h"
#include "videodriver/properties/morvax_properties.h"

namespace qm::morvax {

namespace {

// A published stepping range with its default.
template <LONG Minimum, LONG Maximum, LONG Default>
struct Published {
    static constexpr KSPROPERTY_STEPPING_LONG stepping{1, 0, {{Minimum, Maximum}}};
    static constexpr LONG defaultValue = Default;
    static constexpr KSPROPERTY_MEMBERSLIST lists[2] = {
        {{KSPROPERTY_MEMBER_STEPPEDRANGES, sizeof(KSPROPERTY_STEPPING_LONG), 1, 0}, &stepping},
        {{KSPROPERTY_MEMBER_VALUES, sizeof(LONG), 1, KSPROPERTY_MEMBER_FLAG_DEFAULT}, &defaultValue},
    };
    static constexpr KSPROPERTY_VALUES values{{{KSPROPTYPESETID_General, ULONG(VT_I4), 0}}, 2, lists};
};

constexpr ULONG kRecord = 40;  // property and value records of the numeric items

constexpr KSPROPERTY_ITEM both(ULONG id, const KSPROPERTY_VALUES* values = nullptr)
{
    return DEFINE_KSPROPERTY_ITEM(id, TRUE, kRecord, kRecord, TRUE, values);
}
constexpr KSPROPERTY_ITEM getOnly(ULONG id) { return DEFINE_KSPROPERTY_ITEM(id, TRUE, kRecord, kRecord, FALSE); }
constexpr KSPROPERTY_ITEM setOnly(ULONG id) { return DEFINE_KSPROPERTY_ITEM(id, FALSE, kRecord, kRecord, TRUE); }

constexpr KSPROPERTY_ITEM kVideoProcAmpItems[] = {
    both(KSPROPERTY_VIDEOPROCAMP_CONTRAST, &Published<0, 63, 48>::values),
    both(KSPROPERTY_VIDEOPROCAMP_BRIGHTNESS, &Published<0, 63, 32>::values),
    both(KSPROPERTY_VIDEOPROCAMP_SATURATION, &Published<0, 63, 45>::values),
    both(KSPROPERTY_VIDEOPROCAMP_SHARPNESS, &Published<0, 63, 24>::values),
};

constexpr KSPROPERTY_ITEM kVideoControlItems[] = {
    DEFINE_KSPROPERTY_ITEM(KSPROPERTY_VIDEOCONTROL_CAPS, TRUE, sizeof(KSPROPERTY_VIDEOCONTROL_CAPS_S),
                           sizeof(KSPROPERTY_VIDEOCONTROL_CAPS_S), FALSE),
    DEFINE_KSPROPERTY_ITEM(KSPROPERTY_VIDEOCONTROL_ACTUAL_FRAME_RATE, TRUE,
                           sizeof(KSPROPERTY_VIDEOCONTROL_ACTUAL_FRAME_RATE_S),
                           sizeof(KSPROPERTY_VIDEOCONTROL_ACTUAL_FRAME_RATE_S), FALSE),
    // The list's length depends on the size asked for: the handler answers
    // short buffers itself.
    DEFINE_KSPROPERTY_ITEM(KSPROPERTY_VIDEOCONTROL_FRAME_RATES, TRUE, sizeof(KSPROPERTY_VIDEOCONTROL_FRAME_RATES_S),
                           0, FALSE),
};

constexpr KSPROPERTY_ITEM kCameraControlItems[] = {
    both(kCamSelectRegister),
    both(kCamRegister),
    both(kCamDeletePicture),
    setOnly(kCamDownloadMode),
    getOnly(kCamPictureCount),
    setOnly(kCamDownloadPicture),
    both(kCamTakePicture),
    both(kCamStatus),
    getOnly(kCamFreePictures),
    setOnly(kCamStillMode),
    both(kCamFirmwareVersion),
    getOnly(kCamReady),
    both(kCamSaturation, &Published<0, 63, 45>::values),
    both(kCamContrast, &Published<0, 63, 48>::values),
    both(kCamSharpness, &Published<0, 63, 24>::values),
    both(kCamGamma, &Published<0, 15, 2>::values),
    both(kCamAWBEnable, &Published<0, 1, 0>::values),
    both(kCamRedGain, &Published<0, 63, 8>::values),
    both(kCamGreenGain, &Published<0, 63, 8>::values),
    both(kCamBlueGain, &Published<0, 63, 8>::values),
    both(kCamAEEnable, &Published<0, 1, 0>::values),
    both(kCamBrightness, &Published<0, 63, 32>::values),
    both(kCamLightSource, &Published<0, 2, 0>::values),
    both(kCamColorTemperature, &Published<0, 1, 0>::values),
    both(kCamFlickerless, &Published<0, 1, 0>::values),
    both(kCamAGCEnable, &Published<0, 1, 0>::values),
    getOnly(kCamVendorId),
    getOnly(kCamProductId),
};

constexpr KSPROPERTY_ITEM kCustomItems[] = {
    both(kCustomSelectRegister), both(kCustomRegister),     both(kCustomCameraMode), both(kCustomSnapshot),
    setOnly(kCustomSnapshotBitmap), both(kCustomFlashWriteId), both(kCustomFlashReadId),
};

template <typename T, ULONG N>
constexpr ULONG countOf(const T (&)[N])
{
    return N;
}

constexpr KSPROPERTY_SET kPropertySets[] = {
    DEFINE_KSPROPERTY_SET(&PROPSETID_VIDCAP_VIDEOPROCAMP, countOf(kVideoProcAmpItems), kVideoProcAmpItems),
    DEFINE_KSPROPERTY_SET(&PROPSETID_VIDCAP_VIDEOCONTROL, countOf(kVideoControlItems), kVideoControlItems),
    DEFINE_KSPROPERTY_SET(&PROPSETID_VIDCAP_CAMERACONTROL, countOf(kCameraControlItems), kCameraControlItems),
    DEFINE_KSPROPERTY_SET(&PROPSETID_MORVAX_CUSTOM, countOf(kCustomItems), kCustomItems),
};

static_assert(countOf(kCameraControlItems) == 28 && countOf(kCustomItems) == 7);

}  // namespace

ULONG AdapterGetNumberOfPropertySet() { return countOf(kPropertySets); }

const KSPROPERTY_SET* AdapterGetPropertyTable() { return kPropertySets; }

}  // namespace qm::morvax
