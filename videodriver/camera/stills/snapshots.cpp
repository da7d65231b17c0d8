// Snapshots: the camera's button, recorded for applications in the
// registry, and the software snapshot, a copy of one good frame of the live
// video kept by the frame path and handed out as a bitmap.
#include "platform/system/byte_order.h"
#include "videodriver/camera/registry_strings.h"
#include "videodriver/camera/settings_key.h"
#include "videodriver/camera/stills/still_camera.h"
#include "videodriver/engine/adapter_dispatch.h"
#include "videodriver/jpeg/jpeg_decoder.h"

namespace qm::morvax {

namespace {

constexpr ULONG kBitmapHeaderSize = 40;
constexpr LONGLONG kPollInterval = -1000;  // 0.1 ms, relative, in 100 ns units
constexpr ULONG kPollsPerMs = 10;

// BITMAPINFOHEADER: size, width, height, one plane, 24 bits, the rest 0.
void writeBitmapHeader(PUCHAR header, ULONG width, ULONG height)
{
    RtlZeroMemory(header, kBitmapHeaderSize);
    sys::writeLe32(header, kBitmapHeaderSize);
    sys::writeLe32(header + 4, width);
    sys::writeLe32(header + 8, height);
    sys::writeLe16(header + 12, 1);
    sys::writeLe16(header + 14, 24);
}

}  // namespace

VOID SetHWSnapshotReg(MorvaxContext* context, BOOLEAN on)
{
    writeSettingsDword(context, nullptr, registry::kSnapShot, on ? 1 : 0);
}

NTSTATUS requestSoftwareSnapshot(MorvaxContext* context)
{
    // Only live video takes snapshots.
    if (!USBCAMD_IsStreamOpen(context) || context->StillMode)
        return STATUS_INVALID_DEVICE_STATE;
    context->SoftwareSnapshot = 1;
    for (ULONG poll = 0; poll < kSoftwareSnapshotWaitMs * kPollsPerMs; ++poll) {
        if (!context->SoftwareSnapshot)
            return STATUS_SUCCESS;
        LARGE_INTEGER interval;
        interval.QuadPart = kPollInterval;
        KeDelayExecutionThread(KernelMode, FALSE, &interval);
    }
    context->SoftwareSnapshot = 0;
    return STATUS_IO_DEVICE_ERROR;
}

NTSTATUS SaveSWSnapshot(MorvaxContext* context, PUCHAR destination, ULONG capacity, PULONG written)
{
    *written = 0;
    if (context->LastFrame == nullptr || context->DecodeScratch == nullptr || context->LastFrameLength == 0)
        return STATUS_NO_DATA_DETECTED;
    JpegDecodeDescriptor decode;
    decode.input = context->LastFrame;
    decode.inputLength = context->LastFrameLength < kLastFrameSize ? context->LastFrameLength : kLastFrameSize;
    decode.output = context->DecodeScratch + kBitmapHeaderSize;
    decode.outputSize = kDecodeScratchSize - kBitmapHeaderSize;
    if (!decodeJpegFrame(&decode))
        return STATUS_DEVICE_DATA_ERROR;
    const ULONGLONG bytes = kBitmapHeaderSize + ULONGLONG(decode.outputWidth) * decode.outputHeight * 3;
    if (destination == nullptr || bytes > capacity)
        return STATUS_BUFFER_TOO_SMALL;
    writeBitmapHeader(context->DecodeScratch, decode.outputWidth, decode.outputHeight);
    RtlCopyMemory(destination, context->DecodeScratch, SIZE_T(bytes));
    *written = ULONG(bytes);
    return STATUS_SUCCESS;
}

}  // namespace qm::morvax
