// The commands the camera knows: their names and the request lengths it
// accepts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "simulators/stillcam/protocol/packet.h"

namespace qm::stillcam {

struct CommandShape {
    std::uint8_t code;
    std::string_view name;       // "CMD_STATUS"
    std::string_view shortName;  // "status", as fault scripts write it
    std::size_t minLength;       // request length field, inclusive bounds
    std::size_t maxLength;
};

// Null for a code the camera does not know.
const CommandShape* findCommand(std::uint8_t code);
const CommandShape* findCommand(std::string_view name);  // either name, any case, '_' or '-'

// One line for the camera's log: what a well-formed request asks.
std::string describeRequest(const Request& request);

}  // namespace qm::stillcam
