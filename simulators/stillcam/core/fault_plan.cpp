#include "simulators/stillcam/core/fault_plan.h"

#include <algorithm>

#include "simulators/stillcam/protocol/packet.h"

namespace qm::stillcam {

std::optional<FaultRule> FaultPlan::strike(std::uint8_t command, unsigned block)
{
    for (auto it = rules_.begin(); it != rules_.end(); ++it) {
        if (it->command != 0 && it->command != command)
            continue;
        if (it->block != 0 && it->block != block)
            continue;
        if (it->skip > 0) {
            --it->skip;
            continue;
        }
        FaultRule fired = *it;
        if (it->times > 0 && --it->times == 0)
            rules_.erase(it);
        return fired;
    }
    return std::nullopt;
}

std::vector<std::uint8_t> damageReply(const FaultRule& rule, std::vector<std::uint8_t> packet)
{
    if (packet.size() < kHeaderSize + 2)
        return packet;
    switch (rule.kind) {
    case FaultKind::BadChecksum:
        packet.back() = std::uint8_t(packet.back() + 1);
        return packet;
    case FaultKind::WrongLength: {
        // The length field says something else, and the checksum sits where
        // that length puts it, so only the length betrays the reply. The
        // packet keeps at least its size.
        const std::size_t originalSize = packet.size();
        std::vector<std::uint8_t> body(packet.begin() + kHeaderSize, packet.end() - 1);
        const long wanted = std::max(1L, long(body.size()) + rule.lengthDelta);
        body.resize(std::size_t(wanted), 0);
        std::vector<std::uint8_t> damaged = frameReply(body);
        if (damaged.size() < originalSize)
            damaged.resize(originalSize, 0);
        return damaged;
    }
    case FaultKind::ShortReply: {
        std::size_t keep = rule.keepBytes != 0 ? rule.keepBytes : packet.size() / 2;
        packet.resize(std::min(keep, packet.size() - 1));
        return packet;
    }
    default:
        return packet;
    }
}

}  // namespace qm::stillcam
