// How one read call waits, derived from the port's COMMTIMEOUTS and the
// number of bytes asked for. Kept apart from the port so the rules can be
// checked without a terminal.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/comm/comm.h"

namespace qm::comm {

struct ReadPlan {
    bool returnWhatIsThere = false;  // never wait
    bool returnIfAnyThere = false;   // bytes already queued end the call at once
    bool oneByteEnds = false;        // the first byte to arrive ends the call
    std::optional<std::uint64_t> totalMs;     // limit for the whole call
    std::optional<std::uint64_t> intervalMs;  // limit between two bytes
};

ReadPlan planRead(const COMMTIMEOUTS& timeouts, DWORD toRead);

// Total limit of a write, if any.
std::optional<std::uint64_t> writeLimitMs(const COMMTIMEOUTS& timeouts, DWORD toWrite);

}  // namespace qm::comm
