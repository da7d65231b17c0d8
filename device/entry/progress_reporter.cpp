#include "device/entry/progress_reporter.h"

#include <algorithm>

namespace qm::device {

void ProgressReporter::setRange(std::uint32_t minimum, std::uint32_t maximum)
{
    minimum_ = minimum;
    maximum_ = maximum;
}

std::uint32_t ProgressReporter::percentOf(std::uint32_t position, std::uint32_t minimum, std::uint32_t maximum)
{
    if (maximum <= minimum)
        return 100;
    const std::uint64_t clamped = std::clamp(position, minimum, maximum);
    return std::uint32_t((clamped - minimum) * 100 / (std::uint64_t(maximum) - minimum));
}

void ProgressReporter::report(std::uint32_t position) const
{
    if (callback_ != nullptr)
        callback_(0, 0, percentOf(position, minimum_, maximum_));
}

void ProgressReporter::end() const
{
    if (callback_ != nullptr)
        callback_(0, 0, 0);
}

}  // namespace qm::device
