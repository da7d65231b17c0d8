// The two description records DriverEntry type 10 writes: DriverInfoRecord
// (what the panel shows and enables) and SettingsDescription (the camera
// settings dialog). Both work with or without a camera session.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace qm::device {

// What the records need to know about the current session.
struct SessionFacts {
    std::uint8_t modelCode = 0;
    bool usb = false;
};

// Zero-fills the whole buffer, then writes the record. A buffer shorter than
// 1024 bytes stays zero-filled and the call answers 0.
std::uint8_t writeDriverInfoRecord(std::span<std::uint8_t> buffer, const std::optional<SessionFacts>& session);

// Writes the header and the entries the session offers (only the line speed
// without one). A buffer too short for the record is refused with 0 and left
// untouched.
std::uint8_t writeSettingsDescription(std::span<std::uint8_t> buffer, const std::optional<SessionFacts>& session);

}  // namespace qm::device
