#include "device/entry/session_timing.h"

#include <cmath>

#include "device/transport/link_timing.h"

namespace qm::device {

SessionTiming::SessionTiming(double scale) : scale_(scale > 0.0 && scale <= 1.0 ? scale : 1.0) {}

SessionTiming SessionTiming::likeTheLink() { return SessionTiming(linkTimePercent() / 100.0); }

std::uint32_t SessionTiming::scaled(std::uint32_t milliseconds) const
{
    if (milliseconds == 0)
        return 0;
    const auto result = static_cast<std::uint32_t>(std::lround(milliseconds * scale_));
    return result == 0 ? 1 : result;
}

}  // namespace qm::device
