// How the frame decoder reacts to bad data. A fatal error unwinds to the
// entry point that called into the library, which then drops the frame and
// destroys its decoder, so nothing of a corrupt frame survives into the
// next one. A warning (corrupt entropy data, a frame cut short) marks the
// frame failed; decoding runs on so the library finishes in a clean state,
// and the frame is dropped afterwards.
#pragma once

#include <csetjmp>

#include "videodriver/jpeg/libjpeg.h"

namespace qm::morvax {

struct DecodeErrorTrap {
    jpeg_error_mgr manager;  // first, so the library's err pointer is the trap
    std::jmp_buf unwind;     // set by each entry point before it calls the library
    bool failed;
};

// Prepares the trap; its manager is then shared by every decoder of a frame.
void installErrorTrap(DecodeErrorTrap& trap);

// The message output of the library: records that the frame is bad.
void k_error(j_common_ptr cinfo);

}  // namespace qm::morvax
