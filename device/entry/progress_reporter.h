// The module-wide progress reporter: maps positions within a range to the
// percent the panel's callback shows.
#pragma once

#include <cstdint>

#include "device/entry/driver_entry.h"

namespace qm::device {

class ProgressReporter {
public:
    void setCallback(DriverProgressProc callback) { callback_ = callback; }
    DriverProgressProc callback() const { return callback_; }

    void setRange(std::uint32_t minimum, std::uint32_t maximum);
    std::uint32_t minimum() const { return minimum_; }
    std::uint32_t maximum() const { return maximum_; }

    // Calls back with (0, 0, percent) for the position clamped to the range.
    // An empty range counts as complete.
    void report(std::uint32_t position) const;
    // The end call: (0, 0, 0).
    void end() const;

    static std::uint32_t percentOf(std::uint32_t position, std::uint32_t minimum, std::uint32_t maximum);

private:
    DriverProgressProc callback_ = nullptr;
    std::uint32_t minimum_ = 0;
    std::uint32_t maximum_ = 100;
};

}  // namespace qm::device
