// The camera's calendar clock and the year codes by which each model stores
// the year in one byte.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "simulators/stillcam/sim_clock.h"
#include "simulators/stillcam/still_camera.h"

namespace qm::stillcam {

// Models 16 and 17 count from 1900, 22 and 32 from 2000 (with 59 standing
// for 1999), every other model from 1980. Kept to 8 bits.
std::uint8_t encodeYear(std::uint8_t model, int year);
int decodeYear(std::uint8_t model, std::uint8_t code);

bool isValidDateTime(const CameraDateTime& value);

// A date and time as the camera's information blocks carry it: year code,
// month, day, hour, minute, second.
std::array<std::uint8_t, 6> encodeDateTime(std::uint8_t model, const CameraDateTime& value);

// A running clock: set to a date and time, it advances with the SimClock.
class Calendar {
public:
    Calendar(const SimClock& clock, const CameraDateTime& start);
    CameraDateTime now() const;
    void set(const CameraDateTime& value);

private:
    const SimClock& clock_;
    std::int64_t baseSeconds_;  // seconds since 1970-01-01 of the value last set
    std::uint64_t setAtMs_;
};

// The host's local date and time.
CameraDateTime localDateTime();

}  // namespace qm::stillcam
