// Milliseconds since an arbitrary start, wrapping at 32 bits, and sleeping.
#pragma once

#include <cstdint>

namespace qm::sys {

std::uint32_t GetTickCount();
void Sleep(std::uint32_t milliseconds);

}  // namespace qm::sys
