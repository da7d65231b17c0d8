// Last-error values a failed camera command leaves on the calling thread.
// A reply with a bad start byte, code, length or checksum fails without one.
#pragma once

#include <cstdint>

namespace qm::device {

inline constexpr std::uint32_t LINK_ERR_IO = 0x28000001;               // the channel's read or write call failed
inline constexpr std::uint32_t LINK_ERR_NO_DATA = 0x28000004;          // a read returned no byte
inline constexpr std::uint32_t LINK_ERR_NOTHING_WRITTEN = 0x28000005;  // a write sent nothing
inline constexpr std::uint32_t LINK_ERR_UNEXPECTED = 0x28000007;       // a read came back short

}  // namespace qm::device
