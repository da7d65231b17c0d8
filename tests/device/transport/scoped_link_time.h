// Shortens the link's fixed waits for the lifetime of a test object. Declare
// it before any transport or link so it outlives their closing waits.
#pragma once

#include "device/transport/link_timing.h"

namespace qm::test {

class ScopedLinkTime {
public:
    explicit ScopedLinkTime(unsigned percent) : previous_(device::linkTimePercent())
    {
        device::setLinkTimePercent(percent);
    }
    ~ScopedLinkTime() { device::setLinkTimePercent(previous_); }
    ScopedLinkTime(const ScopedLinkTime&) = delete;
    ScopedLinkTime& operator=(const ScopedLinkTime&) = delete;

private:
    unsigned previous_;
};

}  // namespace qm::test
