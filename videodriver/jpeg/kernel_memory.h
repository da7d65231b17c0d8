// Work memory of the frame decoder: non-paged pool with the driver's tag.
#pragma once

#include <cstddef>

#include "platform/kernel/pool.h"

namespace qm::morvax {

inline constexpr qm::kernel::ULONG kDecoderPoolTag = qm::kernel::makePoolTag("Wdm ");

// Null when the pool is exhausted.
void* k_malloc(std::size_t bytes);
// Accepts null.
void k_free(void* block);

}  // namespace qm::morvax
