#include "videodriver/camera/frame_rate.h"

namespace qm::morvax {

namespace {

constexpr LONGLONG kUnitsPerSecond = 10000000;

// Lowest rate (tenths of frames per second) of each index.
constexpr ULONG kIndexFloor[] = {290, 250, 200, 150, 100, 50, 30};
constexpr ULONG kSlowestIndex = 7;

// The camera cannot deliver full-size frames faster than this.
constexpr ULONG kVgaRateCeiling = 200;
constexpr ULONG kVgaRate = 150;

}  // namespace

ULONG frameRateTenths(LONGLONG avgTimePerFrame)
{
    if (avgTimePerFrame <= 0)
        return 0;
    return ULONG(kUnitsPerSecond / avgTimePerFrame) * 10;
}

void AdapterSetFrameRate(MorvaxContext* context, ULONG rateTenths)
{
    if (context->Width == 640 && context->Height == 480 && rateTenths > kVgaRateCeiling)
        rateTenths = kVgaRate;
    ULONG index = 0;
    while (index < kSlowestIndex && rateTenths < kIndexFloor[index])
        ++index;
    context->FrameRateIndex = index;
}

}  // namespace qm::morvax
