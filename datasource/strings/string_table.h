// The data source's string table: the texts that a localised or re-branded
// build changes, looked up by resource id.
#pragma once

#include <string_view>

namespace qm::ds {

inline constexpr unsigned IDS_PRODUCT_NAME = 34003;
inline constexpr unsigned IDS_MANUFACTURER = 34009;
inline constexpr unsigned IDS_PRODUCT_FAMILY = 34010;
inline constexpr unsigned IDS_UNLOCK_FAILURE = 34020;
inline constexpr unsigned IDS_FREE_FAILURE = 34021;

// The text of a string resource; empty for an id the table does not hold.
std::string_view loadString(unsigned id);

}  // namespace qm::ds
