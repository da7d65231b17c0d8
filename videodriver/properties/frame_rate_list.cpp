#include "videodriver/properties/frame_rate_list.h"

#include "platform/system/byte_order.h"
#include "videodriver/camera/settings_key.h"
#include "videodriver/properties/registry_values.h"

namespace qm::morvax {

namespace {

struct FrameSize {
    LONG width;
    LONG height;
};
// By size index.
constexpr FrameSize kFrameSizes[kSizeCount] = {{160, 120}, {176, 144}, {320, 240}, {352, 288}, {640, 480}};

constexpr ULONG kDefaultLimit = 6;
constexpr ULONG kLeastVgaLimit = 3;

}  // namespace

bool frameRateList(const MorvaxContext* context, LONG width, LONG height, FrameRateList& list)
{
    for (ULONG size = 0; size < kSizeCount; ++size) {
        if (kFrameSizes[size].width != width || kFrameSizes[size].height != height)
            continue;
        const ULONG limit = context->MinFrameRate[size] <= kDefaultLimit ? context->MinFrameRate[size] : kDefaultLimit;
        if (size == kSize640x480) {
            // The last limit + 1 intervals.
            list.count = limit + 1;
            list.intervals = kFrameIntervals + (kFrameIntervalCount - list.count);
        } else {
            list.count = kFrameIntervalCount - limit;
            list.intervals = kFrameIntervals + limit;
        }
        return true;
    }
    return false;
}

ULONG frameRateListBytes(const FrameRateList& list) { return ULONG(sizeof(KSMULTIPLE_ITEM)) + list.count * 8; }

void writeFrameRateList(const FrameRateList& list, PUCHAR into)
{
    sys::writeLe32(into, list.count * 8);
    sys::writeLe32(into + 4, list.count);
    for (ULONG i = 0; i < list.count; ++i) {
        const ULONGLONG interval = ULONGLONG(list.intervals[i]);
        PUCHAR at = into + sizeof(KSMULTIPLE_ITEM) + 8 * i;
        sys::writeLe32(at, ULONG(interval));
        sys::writeLe32(at + 4, ULONG(interval >> 32));
    }
}

VOID readFrameRateLimits(MorvaxContext* context)
{
    for (ULONG size = 0; size < kSizeCount; ++size) {
        ULONG limit = kDefaultLimit;
        if (!NT_SUCCESS(readSettingsDword(context, nullptr, registry::kMinFrameRate[size], &limit)))
            limit = kDefaultLimit;
        const ULONG least = size == kSize640x480 ? kLeastVgaLimit : 0;
        context->MinFrameRate[size] = (limit < least || limit > kDefaultLimit) ? kDefaultLimit : limit;
    }
}

}  // namespace qm::morvax
