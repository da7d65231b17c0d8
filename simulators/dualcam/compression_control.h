// The compressor's quality choice, set through 0A00. One byte fixes the
// quality byte Q (low 7 bits). Six bytes F8 28 n (32-bit little-endian) ask
// for frames of about 4n bytes: the camera then moves Q from frame to frame,
// coarser when a frame came out too big and finer when it came out small.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace qm::dualcam {

class CompressionControl {
public:
    static constexpr int kPowerOnQuality = 64;
    static constexpr int kMinQuality = 1;
    static constexpr int kMaxQuality = 127;

    void command(std::span<const std::uint8_t> bytes);
    void reset();

    int quality() const { return quality_; }
    bool targetMode() const { return targetBytes_ != 0; }
    std::size_t targetBytes() const { return targetBytes_; }

    // Rate control after a frame of `bytes` bytes.
    void frameEncoded(std::size_t bytes);

private:
    int quality_ = kPowerOnQuality;
    std::size_t targetBytes_ = 0;
};

}  // namespace qm::dualcam
