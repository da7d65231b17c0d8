#include "simulators/dualcam/packet_stream.h"

#include <algorithm>

namespace qm::dualcam {

void PacketStream::begin(std::vector<std::uint8_t> frame)
{
    frame_ = std::move(frame);
    position_ = 0;
}

void PacketStream::abort()
{
    frame_.clear();
    position_ = 0;
}

PacketStream::Chunk PacketStream::next(std::size_t maxPacket)
{
    if (!active() || maxPacket == 0)
        return {};
    const std::size_t remaining = frame_.size() - position_;
    std::size_t take = std::min(maxPacket, remaining);
    if (remaining - take == 1 && take > 1)
        --take;
    Chunk chunk{std::span<const std::uint8_t>(frame_).subspan(position_, take), take == remaining};
    position_ += take;
    return chunk;
}

}  // namespace qm::dualcam
