// The exposure loop's register writers. Shutter and Y gain live in the
// register image; front-end gain words are serial-bus data, sent to 101D
// (set-up words of some chips to 101F) in one vendor write each.
// All return 1 on success and 0 on failure.
#pragma once

#include "videodriver/camera/morvax_context.h"

namespace qm::morvax {

// Shutter: low byte 101B, high byte 101C, one write.
ULONG SetShutter(MorvaxContext* context);
// Y gain: one byte to 100E.
ULONG SetYGain(MorvaxContext* context);

// Gain words by front-end chip, from the context's gain.
ULONG setSharpAGCGain(MorvaxContext* context);      // C0 00 g 02 00 01
ULONG setHitachiAGCGain(MorvaxContext* context);    // (g << 4) & FF, g >> 4
ULONG setPanasonicAGCGain(MorvaxContext* context);  // bit-reversed g >> 3 and (g << 5) & FF
ULONG SetAGC_Tasc(MorvaxContext* context);          // clamps the gain first
ULONG SetAGC_Toshiba(MorvaxContext* context);       // clamps the gain first

// One-time front-end set-up at AE reset.
ULONG initHitachiAGCGain(MorvaxContext* context);
ULONG initHitachi49323AGCGain(MorvaxContext* context);  // also lifts the gain to at least 100
ULONG initPanasonicAGCGain(MorvaxContext* context);

// The 8 bits of `value` in reverse order.
UCHAR BitSwap(UCHAR value);

// The Toshiba chip's gain words by gain code 0..18.
inline constexpr ULONG kToshibaGainSteps = 19;
inline constexpr USHORT kToshibaGainTable[kToshibaGainSteps] = {3072, 2048, 1536, 1228, 1024, 880, 768,
                                                                684,  616,  560,  512,  472,  436, 408,
                                                                384,  364,  344,  324,  304};

// Registers the loop reads.
inline constexpr USHORT kOpticalBlackLevelRegister = 0x0810;
inline constexpr USHORT kLuminanceGridRegister = 0x0820;
inline constexpr ULONG kLuminanceGridCells = 64;

// Sets a run of image registers and writes them to the camera in one go.
ULONG writeImageRun(MorvaxContext* context, USHORT first, const UCHAR* values, ULONG count);

}  // namespace qm::morvax
