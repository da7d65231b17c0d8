#include "simulators/dualcam/compression_control.h"

#include "platform/system/byte_order.h"
#include "simulators/dualcam/register_map.h"

#include <algorithm>

namespace qm::dualcam {

void CompressionControl::reset()
{
    quality_ = kPowerOnQuality;
    targetBytes_ = 0;
}

void CompressionControl::command(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() >= 6 && bytes[0] == reg::kCompressionTargetTag0 && bytes[1] == reg::kCompressionTargetTag1) {
        targetBytes_ = std::size_t(sys::readLe32(&bytes[2])) * 4;
        return;
    }
    if (!bytes.empty()) {
        quality_ = bytes[0] & 0x7F;
        targetBytes_ = 0;
    }
}

void CompressionControl::frameEncoded(std::size_t bytes)
{
    if (!targetMode())
        return;
    // Move Q halfway toward the value that would have hit the target, and at
    // least one step when the frame missed it by more than a tenth.
    const double ratio = double(bytes) / double(targetBytes_);
    const int wanted = int(quality_ * ratio + 0.5);
    int next = (quality_ + wanted) / 2;
    if (ratio > 1.1 && next <= quality_)
        next = quality_ + 1;
    else if (ratio < 0.9 && next >= quality_)
        next = quality_ - 1;
    quality_ = std::clamp(next, kMinQuality, kMaxQuality);
}

}  // namespace qm::dualcam
