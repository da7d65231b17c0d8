// Cuts the frame being sent into the packets of successive 1 ms frames. The
// trailer never straddles two packets: when a frame would end with a
// one-byte packet, the packet before it is cut one byte short.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace qm::dualcam {

class PacketStream {
public:
    struct Chunk {
        std::span<const std::uint8_t> bytes;
        bool last = false;  // the frame's last packet
    };

    void begin(std::vector<std::uint8_t> frame);
    void abort();
    // Starts the current frame again from its first byte.
    void rewind() { position_ = 0; }
    bool active() const { return position_ < frame_.size(); }

    // The next packet of at most maxPacket bytes (empty when idle).
    Chunk next(std::size_t maxPacket);

private:
    std::vector<std::uint8_t> frame_;
    std::size_t position_ = 0;
};

}  // namespace qm::dualcam
