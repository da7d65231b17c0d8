// The device module's own texts and KVB.ini keys, kept in one place and used
// as they stand.
#pragma once

#include <cstdint>

// The serial keys ("Baud Rate Speeding", "COMMUNICATION Port", ...) are the
// transports' and shared from there.
#include "device/transport/transport_strings.h"

namespace qm::device::strings {

// String resources.
inline constexpr std::uint32_t IDS_DRIVER_NAME = 34003;
inline constexpr std::uint32_t IDS_OK = 32906;
inline constexpr std::uint32_t IDS_CANCEL = 32907;
inline constexpr std::uint32_t IDS_QUALITY_MODE = 32671;

// The text of a string resource, or "" for an unknown identifier.
const char* loadString(std::uint32_t id);

// DriverInfoRecord.
inline constexpr const char* kGenericDriverName = "Digital Still Camera Driver";
inline constexpr const char* kFileTypeFilter =
    "Bitmap Files (*.Bmp)|*.Bmp|JPEG Files (*.jpg;*.jpeg)|*.jpg; *.jpeg|All Files (*.*)|*.*||";
inline constexpr const char* kDriverVersionText = "Digital Still Image Twain Driver V4.0";

// SettingsDescription entry names and choices.
inline constexpr const char* kFlashMode = "Flash Mode";
inline constexpr const char* kSelfShootTimer = "Self Shoot Timer";
inline constexpr const char* kLcdDisplay = "LCD Display";
inline constexpr const char* kIconDisplay = "Icon Display";
inline constexpr const char* kBaudRateSpeeding = "Baud Rate Speeding";
inline constexpr const char* kCameraDate = "Camera Date";
inline constexpr const char* kCameraTime = "Camera time";
inline constexpr const char* kAutoOffTime = "Auto Off Time(Minutes)";
inline constexpr const char* kAuto = "Auto";
inline constexpr const char* kFill = "Fill";
inline constexpr const char* kOff = "Off";
inline constexpr const char* kOn = "On";
inline constexpr const char* kNormal = "Normal";
inline constexpr const char* kFine = "Fine";
inline constexpr const char* kSuperFine = "SuperFine";
inline constexpr const char* kUsb = "USB";
inline constexpr const char* kSlow = "Slow";
inline constexpr const char* kFast = "Fast";

// The picture information record: a picture's name in the camera's memory,
// from its file number.
inline constexpr const char* kPictureFileNameFormat = "DSC%05u.JPG";

// KVB.ini sections and keys of the device module.
inline constexpr const char* kSectionMain = "MAIN";
inline constexpr const char* kKeyCameraType = "Camera Type";
inline constexpr int kNoCameraType = 0xFFFF;

}  // namespace qm::device::strings
