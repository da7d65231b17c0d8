// The real-time waits of a session (erase and capture waits, the pause
// before a download is tried again). Production waits are the camera's own
// times. Tests against a simulated camera, which works at once, shorten them
// with the same knob that shortens the camera link's fixed waits
// ($QM4200_LINK_TIME_PERCENT, device/transport/link_timing.h), so one
// setting speeds up a whole session.
#pragma once

#include <cstdint>

namespace qm::device {

class SessionTiming {
public:
    SessionTiming() = default;
    explicit SessionTiming(double scale);

    // The share of the link's waits that is kept, as a factor.
    static SessionTiming likeTheLink();

    double scale() const { return scale_; }
    // A duration in ms after scaling; at least 1 ms for a nonzero duration.
    std::uint32_t scaled(std::uint32_t milliseconds) const;

private:
    double scale_ = 1.0;
};

}  // namespace qm::device
