// Per-packet frame tracking. The sync pipe's byte for each 1 ms frame marks
// the last packet of a video frame (bit 0) and the snapshot button (bit 3);
// the last two bytes of a frame's last packet count its bytes as 4n + 2. A
// frame is reported on the packet after its last, with length 0 when its
// byte count does not match (the engine then drops it).
#include "platform/system/byte_order.h"
#include "videodriver/camera/morvax_callbacks.h"

namespace qm::morvax {

namespace {

constexpr UCHAR kSyncEndOfFrame = 0x01;
constexpr UCHAR kSyncSnapshotButton = 0x08;
constexpr ULONG kTrailerBytes = 2;
// A still picture always carries more than its application segment.
constexpr ULONG kSmallestStillFrame = 512;

bool packetFailed(const USBD_ISO_PACKET_DESCRIPTOR* packet)
{
    return packet != nullptr && !USBD_SUCCESS(packet->Status);
}

// A sync packet that failed or arrived empty counts as 0.
UCHAR syncByteOf(const USBD_ISO_PACKET_DESCRIPTOR* packet, const void* buffer)
{
    if (packet == nullptr || buffer == nullptr || packet->Length == 0 || !USBD_SUCCESS(packet->Status))
        return 0;
    return *static_cast<const UCHAR*>(buffer);
}

// The byte count the trailer announces; 0 when the packet cannot hold one.
ULONG announcedFrameBytes(const UCHAR* data, ULONG length)
{
    if (data == nullptr || length < kTrailerBytes)
        return 0;
    return 4 * ULONG(sys::readLe16(data + length - kTrailerBytes)) + kTrailerBytes;
}

}  // namespace

ULONG MORVAX_ProcessUSBPacket(PDEVICE_OBJECT, PVOID context, PVOID frameContext,
                              PUSBD_ISO_PACKET_DESCRIPTOR syncPacket,
                              PVOID syncBuffer, PUSBD_ISO_PACKET_DESCRIPTOR dataPacket, PVOID dataBuffer,
                              PBOOLEAN frameComplete, PULONG frameLength)
{
    MorvaxContext* camera = morvaxContext(context);
    const ULONG count = dataPacket->Length;
    *frameComplete = FALSE;
    *frameLength = 0;

    if (camera->EndOfFrame) {
        camera->EndOfFrame = 0;
        *frameComplete = TRUE;
        *frameLength = camera->AnnouncedSize;
        camera->RunningTotal = 0;
        camera->FrameValid = camera->BadPacketCount == 0;
        camera->BadPacketCount = 0;
        // The read that holds the frame keeps its verdict.
        if (frameContext != nullptr)
            static_cast<MorvaxFrameContext*>(frameContext)->FrameValid = camera->FrameValid;
    }
    camera->RunningTotal += count;

    const UCHAR sync = syncByteOf(syncPacket, syncBuffer);
    if (sync & kSyncEndOfFrame) {
        ULONG announced = announcedFrameBytes(static_cast<const UCHAR*>(dataBuffer), count);
        if (camera->StillMode) {
            if (camera->StillDownloadFailed) {
                announced = 0;
            } else if (announced != camera->RunningTotal || camera->BadPacketCount != 0 ||
                       camera->RunningTotal <= kSmallestStillFrame) {
                // One broken picture spoils the rest of the download.
                camera->StillDownloadFailed = 1;
                announced = 0;
            } else {
                ++camera->GoodFrames;
            }
        } else if (announced == camera->RunningTotal) {
            ++camera->GoodFrames;
        } else {
            announced = 0;
        }
        camera->AnnouncedSize = announced;
        camera->EndOfFrame = 1;
    }
    if (sync & kSyncSnapshotButton)
        camera->HardwareSnapshot = 1;
    if (packetFailed(syncPacket) || packetFailed(dataPacket))
        ++camera->BadPacketCount;
    return count;
}

VOID MORVAX_NewVideoFrame(PVOID, PVOID) {}

}  // namespace qm::morvax
