// The real-time waits of a session (erase and capture waits, the pause
// before a download is tried again). Production waits are the camera's own
// times; $QM4200_DEVICE_TIME_SCALE, read when the module loads, shortens them
// by a factor in (0, 1] so that tests against a fast simulated camera need
// not sit through them.
#pragma once

#include <cstdint>

namespace qm::device {

inline constexpr const char* kTimeScaleVariable = "QM4200_DEVICE_TIME_SCALE";

class SessionTiming {
public:
    SessionTiming() = default;
    explicit SessionTiming(double scale);

    // The factor from the environment; 1 when unset or out of range.
    static SessionTiming fromEnvironment();

    double scale() const { return scale_; }
    // A duration in ms after scaling; at least 1 ms for a nonzero duration.
    std::uint32_t scaled(std::uint32_t milliseconds) const;

private:
    double scale_ = 1.0;
};

}  // namespace qm::device
