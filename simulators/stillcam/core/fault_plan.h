// The faults still to commit, matched against each reply the camera is about
// to send.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "simulators/stillcam/faults.h"

namespace qm::stillcam {

class FaultPlan {
public:
    void add(const FaultRule& rule) { rules_.push_back(rule); }
    void clear() { rules_.clear(); }
    std::size_t pending() const { return rules_.size(); }

    // The fault that strikes this reply, if any; rules used up are dropped.
    // `block` is the block ordinal of a paged read or upload, 0 otherwise.
    std::optional<FaultRule> strike(std::uint8_t command, unsigned block);

private:
    std::vector<FaultRule> rules_;
};

// Applies a reply fault to a whole reply packet. Kinds that are not about
// the packet's bytes leave it alone.
std::vector<std::uint8_t> damageReply(const FaultRule& rule, std::vector<std::uint8_t> packet);

}  // namespace qm::stillcam
