// Texts of the transports: KVB.ini sections and keys, port names and the
// USB diagnostics.
#pragma once

#include <array>

namespace qm::device::strings {

inline constexpr const char* kSectionBaudRateSpeeding = "Baud Rate Speeding";
inline constexpr const char* kKeyBaudRateMode = "Baud Rate Mode";
inline constexpr const char* kSectionCommunicationPort = "COMMUNICATION Port";
inline constexpr const char* kKeyPortName = "Port Name";
inline constexpr const char* kKeyBaudRate = "Baud Rate";

inline constexpr std::array<const char*, 4> kPortNames = {"COM1:", "COM2:", "COM3:", "COM4:"};

inline constexpr const char* kUsbDriverOpenFailed = "Failed opening WinDriver device\n";
inline constexpr const char* kUsbDriverTooOld = "Incorrect WinDriver version\n";
inline constexpr const char* kUsbDeviceOpenFailed = "Could not open device\n";

}  // namespace qm::device::strings
