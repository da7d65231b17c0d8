#include "device/entry/session_timing.h"

#include <cmath>
#include <cstdlib>

namespace qm::device {

SessionTiming::SessionTiming(double scale) : scale_(scale > 0.0 && scale <= 1.0 ? scale : 1.0) {}

SessionTiming SessionTiming::fromEnvironment()
{
    const char* text = std::getenv(kTimeScaleVariable);
    if (text == nullptr || *text == '\0')
        return {};
    char* end = nullptr;
    const double scale = std::strtod(text, &end);
    if (end == text || *end != '\0' || !std::isfinite(scale))
        return {};
    return SessionTiming(scale);
}

std::uint32_t SessionTiming::scaled(std::uint32_t milliseconds) const
{
    if (milliseconds == 0)
        return 0;
    const auto result = static_cast<std::uint32_t>(std::lround(milliseconds * scale_));
    return result == 0 ? 1 : result;
}

}  // namespace qm::device
