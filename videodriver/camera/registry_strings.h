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

// The identification string: the zeros become the vendor and product ids.
inline constexpr char kDeviceIdFormat[] = "VID_%04X&PID_%04X";
// ActiveMorvax is written with this many bytes.
inline constexpr qm::kernel::ULONG kActiveMorvaxBytes = 40;

}  // namespace qm::morvax::registry
