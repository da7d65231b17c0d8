// The preferred serial speed ("Baud Rate Mode"), which the panel sets and
// the serial search reads; usable with or without a camera session.
#pragma once

#include <cstdint>

#include "common/config/kvb_config.h"
#include "device/entry/string_table.h"
#include "device/transport/serial_transport.h"

namespace qm::device::speed_preference {

inline std::uint32_t read()
{
    return std::uint32_t(config::readInt(strings::kSectionBaudRateSpeeding, strings::kKeyBaudRateMode,
                                         int(kDefaultPreferredRate)));
}

inline bool write(std::uint32_t rate)
{
    return config::writeInt(strings::kSectionBaudRateSpeeding, strings::kKeyBaudRateMode, int(rate));
}

}  // namespace qm::device::speed_preference
