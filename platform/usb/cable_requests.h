// What the cable's device end does with one request: the device call it asks
// for, and the answer datagram for the host.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "platform/usb/virtual_cable.h"

namespace qm::usb::cable {

// A malformed request is answered kStatusBadRequest without troubling the
// device. A bulk-in that may wait long is made as several short waits;
// between them `abandon` says whether to give up (the host hung up, the
// server is ending), and then there is no answer (nullopt).
std::optional<std::vector<std::uint8_t>> answerRequest(VirtualDevice& device, std::span<const std::uint8_t> request,
                                                       const std::function<bool()>& abandon);

}  // namespace qm::usb::cable
