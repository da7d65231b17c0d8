// The frame rates each frame size offers, as VideoControl lists them: a
// KSMULTIPLE_ITEM (size, count) followed by 64-bit frame intervals in
// 100 ns units. The slowest rates of each list are cut off by MinFRVGA,
// MinFRCIF, MinFRSIF, MinFRQCIF and MinFRQSIF (read at configure).
#pragma once

#include "videodriver/camera/morvax_context.h"

namespace qm::morvax {

inline constexpr ULONG kFrameIntervalCount = 7;
inline constexpr LONGLONG kFrameIntervals[kFrameIntervalCount] = {0,      2000000, 1000000, 666666,
                                                                  500000, 400000,  333333};

struct FrameRateList {
    const LONGLONG* intervals = nullptr;
    ULONG count = 0;
};

// The list for a frame size; false for a size the camera does not offer.
bool frameRateList(const MorvaxContext* context, LONG width, LONG height, FrameRateList& list);
// Bytes of the answer: the item header and the intervals.
ULONG frameRateListBytes(const FrameRateList& list);
// Writes the answer (frameRateListBytes bytes) little-endian.
void writeFrameRateList(const FrameRateList& list, PUCHAR into);

// Reads the five MinFR values of the settings key into the context, with
// their limits (MinFRVGA 3..6, the others at most 6; 6 otherwise).
VOID readFrameRateLimits(MorvaxContext* context);

}  // namespace qm::morvax
