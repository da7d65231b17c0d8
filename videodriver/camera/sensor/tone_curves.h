// The 24 tone curves of the camera's 17-point tone table (1041-1051): point
// i is the output for input 16i. Curves 0..7 serve the automatic gamma
// indices, 8..23 the manual gamma settings (index + 8).
#pragma once

#include "platform/kernel/nt_types.h"

namespace qm::morvax {

inline constexpr qm::kernel::ULONG kToneCurveCount = 24;
inline constexpr qm::kernel::ULONG kToneCurvePoints = 17;

extern const qm::kernel::UCHAR kToneCurves[kToneCurveCount][kToneCurvePoints];

}  // namespace qm::morvax
