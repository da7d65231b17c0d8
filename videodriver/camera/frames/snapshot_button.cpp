// The camera's snapshot button: while a press is pending, decoded RGB24
// frames carry it in bit 0 of their first byte for three frames; the fourth
// records it in the registry (SnapShot = 1), where applications look for it.
#include "videodriver/camera/frames/frame_outputs.h"
#include "videodriver/camera/registry_strings.h"
#include "videodriver/camera/settings_key.h"

namespace qm::morvax {

namespace {

constexpr ULONG kMarkedFrames = 3;
constexpr UCHAR kSnapshotBit = 0x01;

}  // namespace

void markSnapshotButton(MorvaxContext* context, const FrameOutput& out)
{
    if (out.buffer == nullptr || out.size == 0)
        return;
    if (!context->HardwareSnapshot) {
        out.buffer[0] &= UCHAR(~kSnapshotBit);
        return;
    }
    if (++context->SnapshotFrameCounter <= kMarkedFrames) {
        out.buffer[0] |= kSnapshotBit;
        return;
    }
    writeSettingsDword(context, nullptr, registry::kSnapShot, 1);
    context->SnapshotFrameCounter = 0;
    context->HardwareSnapshot = 0;
    out.buffer[0] &= UCHAR(~kSnapshotBit);
}

}  // namespace qm::morvax
