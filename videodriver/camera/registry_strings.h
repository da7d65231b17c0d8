// The driver's registry keys and value names, as the system names them.
#pragma once

#include "platform/kernel/nt_types.h"

namespace qm::morvax::registry {

using qm::kernel::WCHAR;

// Keys.
inline constexpr WCHAR kMakerKey[] = u"\\Registry\\MACHINE\\SOFTWARE\\Quillon\\";
inline constexpr WCHAR kSoftwareKey[] = u"\\Registry\\MACHINE\\SOFTWARE";
inline constexpr WCHAR kDefaultSettingsKey[] = u"\\Registry\\MACHINE\\SOFTWARE\\Quillon\\MORVAX";

// Values of the maker and device keys.
inline constexpr WCHAR kActiveMorvax[] = u"ActiveMorvax";
inline constexpr WCHAR kRegistryPathName[] = u"RegistryPathName";

// Values of the settings key read at configure.
inline constexpr WCHAR kCCDType[] = u"CCDType";
inline constexpr WCHAR kCDSType[] = u"CDSType";
inline constexpr WCHAR kDefaultVidFormat[] = u"DefaultVidFormat";
inline constexpr WCHAR kRGBUpperBound[] = u"RGBUpperBound";
inline constexpr WCHAR kSnapShot[] = u"SnapShot";

// Subkeys of the settings key.
inline constexpr WCHAR kRegSubkey[] = u"Reg";          // register overrides, named by address
inline constexpr WCHAR kDefaultSubkey[] = u"Default";  // gains stored with a colour temperature

// Register override names: the address as "%4X", blanks as zeros.
inline constexpr char kRegisterNameFormat[] = "%4X";

// JPEG quality overrides by size index (160, 176, 320, 352, 640).
inline constexpr const WCHAR* kQFactor[] = {u"QFactor160", u"QFactor176", u"QFactor320", u"QFactor352",
                                            u"QFactor640"};

// AWB bounds by light source (office, home, outdoors): red upper, red
// lower, blue upper, blue lower.
inline constexpr const WCHAR* kAWBBounds[3][4] = {
    {u"AWBOfficeRedUpperbound", u"AWBOfficeRedLowerbound", u"AWBOfficeBlueUpperbound", u"AWBOfficeBlueLowerbound"},
    {u"AWBHomeRedUpperbound", u"AWBHomeRedLowerbound", u"AWBHomeBlueUpperbound", u"AWBHomeBlueLowerbound"},
    {u"AWBOutdoorsRedUpperbound", u"AWBOutdoorsRedLowerbound", u"AWBOutdoorsBlueUpperbound",
     u"AWBOutdoorsBlueLowerbound"},
};

// The gains in use when a colour temperature was stored, by light source:
// red, green, blue.
inline constexpr const WCHAR* kStoredGains[3][3] = {
    {u"RedHue_Office", u"GreenHue_Office", u"BlueHue_Office"},
    {u"RedHue_Home", u"GreenHue_Home", u"BlueHue_Home"},
    {u"RedHue_Outdoors", u"GreenHue_Outdoors", u"BlueHue_Outdoors"},
};

// The identification string: the zeros become the vendor and product ids.
inline constexpr char kDeviceIdFormat[] = "VID_%04X&PID_%04X";
// ActiveMorvax is written with this many bytes.
inline constexpr qm::kernel::ULONG kActiveMorvaxBytes = 40;

}  // namespace qm::morvax::registry
