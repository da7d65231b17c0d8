// The camera's white-balance statistics: three 27-bit sums of red, green
// and blue over the AWB window, in 0800-080B (each little-endian in four
// registers, the top five bits of the last one unused).
#pragma once

#include "videodriver/camera/morvax_context.h"

namespace qm::morvax {

struct WhiteBalanceSums {
    ULONG red = 0;
    ULONG green = 0;
    ULONG blue = 0;
};

// Reads the sums into the register shadow and returns them; false when the
// camera did not answer.
bool readWhiteBalanceSums(MorvaxContext* context, WhiteBalanceSums& sums);

}  // namespace qm::morvax
