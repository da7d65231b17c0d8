// Value and key names of the persisted settings, as the system names them
// (the camera layer's own names are in videodriver/camera/registry_strings.h).
#pragma once

#include "platform/kernel/nt_types.h"

namespace qm::morvax::registry {

using qm::kernel::WCHAR;

// Read at every AE reset.
inline constexpr WCHAR kAEThresholdWide[] = u"AEThresholdWide";
inline constexpr WCHAR kAEThresholdNarrow[] = u"AEThresholdNarrow";
inline constexpr WCHAR kEv[] = u"Ev";

// Frame-rate lists, by size index (160, 176, 320, 352, 640).
inline constexpr const WCHAR* kMinFrameRate[] = {u"MinFRQSIF", u"MinFRQCIF", u"MinFRSIF", u"MinFRCIF", u"MinFRVGA"};

// Picture, exposure and white-balance settings.
inline constexpr WCHAR kBrightness[] = u"Brightness";
inline constexpr WCHAR kHue[] = u"Hue";
inline constexpr WCHAR kContrast[] = u"Contrast";
inline constexpr WCHAR kSaturation[] = u"Saturation";
inline constexpr WCHAR kSharpness[] = u"Sharpness";
inline constexpr WCHAR kRedHue[] = u"RedHue";
inline constexpr WCHAR kGreenHue[] = u"GreenHue";
inline constexpr WCHAR kBlueHue[] = u"BlueHue";
inline constexpr WCHAR kFirstAltSetting[] = u"FirstAltSetting";
inline constexpr WCHAR kAERate[] = u"AERate";
inline constexpr WCHAR kAEEnable[] = u"AEEnable";
inline constexpr WCHAR kLightSource[] = u"LightSource";
inline constexpr WCHAR kAWBEnable[] = u"AWBEnable";
inline constexpr WCHAR kAWBRate[] = u"AWBRate";
inline constexpr WCHAR kColorTempOffice[] = u"ColorTempOffice";
inline constexpr WCHAR kColorTempHome[] = u"ColorTempHome";
inline constexpr WCHAR kColorTempOutdoors[] = u"ColorTempOutdoors";
inline constexpr WCHAR kFlip[] = u"Flip";
inline constexpr WCHAR kMirror[] = u"Mirror";
inline constexpr WCHAR kAWBWindow[] = u"AWBWindow";
inline constexpr WCHAR kBrightnessMin[] = u"BrightnessMin";
inline constexpr WCHAR kBrightnessMax[] = u"BrightnessMax";
inline constexpr WCHAR kIsFlickerless[] = u"IsFlickerless";
inline constexpr WCHAR kYUpperbound[] = u"Y_Upperbound";
inline constexpr WCHAR kOBLeakMax[] = u"OBLeakMax";
inline constexpr WCHAR kOBLeakMin[] = u"OBLeakMin";
inline constexpr WCHAR kManualGamma[] = u"ManualGamma";

// Still camera.
inline constexpr WCHAR kFlashMemSize[] = u"FlashMemSize";

// The progress log: a subkey of the settings key, one value per step.
inline constexpr WCHAR kLogSubkey[] = u"Log";
inline constexpr const WCHAR* kLogSteps[] = {u"Enter DriverEntry", u"Exit DriverEntry", u"Enter Configure",
                                             u"Exit Configure",    u"Enter Initialize", u"Exit Initialize"};

// Property pages: the capture category offers the driver's own page while
// the camera is powered; the platform's pages come back at power-down.
inline constexpr WCHAR kCapturePagesKey[] =
    u"\\REGISTRY\\MACHINE\\SYSTEM\\CurrentControlSet\\Control\\MediaCategories\\"
    u"{FB6C4281-0353-11D1-905F-0000C0CC16BA}\\PropertyPages";
inline constexpr WCHAR kVideoProcAmpPagesKey[] =
    u"\\REGISTRY\\MACHINE\\SYSTEM\\CurrentControlSet\\Control\\MediaSets\\"
    u"{C6E13360-30AC-11D0-A18C-00A0C9118956}\\PropertyPages";
inline constexpr WCHAR kCameraControlPagesKey[] =
    u"\\REGISTRY\\MACHINE\\SYSTEM\\CurrentControlSet\\Control\\MediaSets\\"
    u"{C6E13370-30AC-11D0-A18C-00A0C9118956}\\PropertyPages";
inline constexpr WCHAR kPlatformCapturePage[] = u"{71F96467-78F3-11d0-A18C-00A0C9118956}";
inline constexpr WCHAR kDriverCapturePage[] = u"{4ECEF410-31F5-11d2-AE0B-00104BC977E9}";
inline constexpr WCHAR kVideoProcAmpPage[] = u"{71F96464-78F3-11D0-A18C-00A0C9118956}";
inline constexpr WCHAR kCameraControlPage[] = u"{71F96465-78F3-11D0-A18C-00A0C9118956}";
inline constexpr WCHAR kVideoProcAmpPageName[] = u"VideoProcAmp Property Page";
inline constexpr WCHAR kCameraControlPageName[] = u"CameraControl Property Page";

}  // namespace qm::morvax::registry
