// Puts a decoder's work memory in non-paged pool. The library builds its own
// memory manager when a decoder is created; this replaces it right after,
// so every table, buffer and coefficient array the decoding needs comes from
// pool blocks with the driver's tag, within a fixed budget. The few objects
// the library made before the switch stay with its own manager, which this
// one hands back to when the decoder is destroyed.
#pragma once

#include <cstddef>

#include "videodriver/jpeg/libjpeg.h"

namespace qm::morvax {

// Installs the pool manager into a freshly created decoder. Running out of
// budget or pool is the library's out-of-memory error.
void usePoolMemory(j_common_ptr cinfo, std::size_t byteBudget);

}  // namespace qm::morvax
