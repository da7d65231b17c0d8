// The sensor (CCD type) and front end (CDS type) of the camera, as its
// settings key describes them. Values out of range read as 0.
#pragma once

#include "videodriver/camera/morvax_context.h"

namespace qm::morvax {

inline constexpr ULONG kCCDTypes = 4;  // 0..3; 3 is the CMOS sensor
inline constexpr ULONG kCDSTypes = 9;  // 0..8

// Front-end chips by CDS type.
inline constexpr ULONG kCdsSharp = 0;
inline constexpr ULONG kCdsHitachi = 1;
inline constexpr ULONG kCdsPanasonic = 2;
inline constexpr ULONG kCdsHitachi49323 = 4;
inline constexpr ULONG kCdsTasc = 5;
inline constexpr ULONG kCdsSharpB = 6;
inline constexpr ULONG kCdsToshiba = 7;
inline constexpr ULONG kCdsElecvision = 8;
inline constexpr ULONG kCcdCmos = 3;

ULONG GetCCDType(const MorvaxContext* context);
ULONG GetCDSType(const MorvaxContext* context);

}  // namespace qm::morvax
