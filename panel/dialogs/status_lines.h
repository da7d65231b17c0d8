// The lines of the camera status dialog: which bits of the status-line mask
// show which facts, in display order, and how each value reads.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/ui/types.h"

namespace qm::panel {

enum StatusBit : std::uint32_t {
    kStatusCapacityMb = 0x001,
    kStatusCapacityKb = 0x100,
    kStatusBattery = 0x002,
    kStatusAcAdapter = 0x004,
    kStatusAutoOff = 0x008,
    kStatusMode = 0x010,
    kStatusImages = 0x020,
    kStatusPort = 0x040,
    kStatusFirmware = 0x080,  // read, but no line is drawn
};

// The bits in display order.
inline constexpr std::array<std::uint32_t, 9> kStatusOrder = {kStatusCapacityMb, kStatusCapacityKb, kStatusBattery,
                                                              kStatusAcAdapter,  kStatusAutoOff,    kStatusMode,
                                                              kStatusImages,     kStatusPort,       kStatusFirmware};

// One strip per set bit of kStatusOrder.
int statusStripCount(std::uint32_t mask);

// The values as they read, from what the device module answered; nothing
// for a value outside the listed ones (the line then says "Not
// Available!").
std::string capacityText(std::uint32_t amount, bool kilobytes);
std::optional<std::string> batteryText(std::uint32_t condition);
std::optional<std::string> acAdapterText(std::uint32_t state);
std::string autoOffText(std::uint32_t seconds);
std::optional<std::string> modeText(std::uint32_t mode);
std::string imagesText(std::uint32_t stored, std::uint32_t free);
std::optional<std::string> portText(std::uint32_t speedIndex);
std::string firmwareText(std::uint32_t number, const std::string& text);

// The label of a line; the port line says what the value is.
std::string statusLabel(std::uint32_t bit, const std::string& value);

}  // namespace qm::panel
