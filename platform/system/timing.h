// Milliseconds since an arbitrary start, wrapping at 32 bits, and sleeping.
#pragma once

#include <cstdint>

namespace qm::sys {

std::uint32_t GetTickCount();
void Sleep(std::uint32_t milliseconds);

// A replacement clock (the user interface's virtual clock in tests): while one
// is set, GetTickCount reads it and Sleep advances it instead of waiting.
struct ClockSource {
    std::uint32_t (*now)();
    void (*sleep)(std::uint32_t milliseconds);
};
// Null restores the real clock. The source must outlive its use.
void setClockSource(const ClockSource* source);

}  // namespace qm::sys
