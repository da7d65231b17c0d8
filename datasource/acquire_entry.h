// The data source's second export, called back by its panel module: the user
// started a transfer or left the panel. The panel binds it by loading the
// data source file by path and looking the name up.
#pragma once

#include <cstdint>

#include "platform/system/export.h"

namespace qm::ds {

inline constexpr std::uint32_t ACQUIRE_CLOSEDSREQ = 1;  // the user left the panel
inline constexpr std::uint32_t ACQUIRE_XFERREADY = 2;   // the user started a transfer

using AcquireEntryProc = std::uint32_t (*)(std::uint32_t code, std::uint32_t, std::uint32_t, std::uint32_t);

inline constexpr const char* kAcquireEntryName = "AcquireEntry";

}  // namespace qm::ds

// Returns 1 when the notification reached the source manager, else 0.
QM_EXPORT std::uint32_t AcquireEntry(std::uint32_t code, std::uint32_t, std::uint32_t, std::uint32_t);
