// Packet-by-packet processing of a finished transfer: the camera layer
// says which bytes belong to the frame and where frames end; the engine
// gathers each frame into the buffer of the oldest waiting read.
#include "videodriver/engine/frame_header.h"
#include "videodriver/engine/iso_stream.h"
#include "videodriver/engine/read_path.h"

namespace qm::morvax {

namespace {

constexpr ULONG kSyncBytes = kIsoPacketsPerTransfer;

// Takes the oldest pending read as the one that receives the next frame.
ReadRequest* takeNextRead(Channel* channel)
{
    if (IsListEmpty(&channel->PendingReads))
        return nullptr;
    ReadRequest* read = CONTAINING_RECORD(RemoveHeadList(&channel->PendingReads), ReadRequest, ListEntry);
    read->BytesReceived = 0;
    return read;
}

}  // namespace

void USBCAMD_TransferComplete(Channel* channel, IsoTransfer* transfer)
{
    DeviceExtension* deviceExtension = channel->Device;
    const CameraCallbacks& camera = deviceExtension->Callbacks;
    PVOID context = cameraContext(deviceExtension);
    _URB_ISOCH_TRANSFER& data = transfer->DataUrb->UrbIsochronousTransfer;
    _URB_ISOCH_TRANSFER* sync = transfer->SyncIrp != nullptr ? &transfer->SyncUrb->UrbIsochronousTransfer : nullptr;
    const ULONG packetSize = transfer->DataPacketSize;
    PUCHAR dataBuffer = transfer->TransferBuffer + kSyncBytes;

    for (ULONG i = 0; i < kIsoPacketsPerTransfer; ++i) {
        USBD_ISO_PACKET_DESCRIPTOR& dataPacket = data.IsoPacket[i];
        // The stack reports the length; never let it reach past the packet.
        if (dataPacket.Length > packetSize)
            dataPacket.Length = packetSize;
        PUCHAR packetBytes = dataBuffer + i * packetSize;
        PUSBD_ISO_PACKET_DESCRIPTOR syncPacket = sync != nullptr ? &sync->IsoPacket[i] : nullptr;
        PUCHAR syncByte = sync != nullptr ? transfer->TransferBuffer + i : nullptr;

        ReadRequest* finished = nullptr;
        KIRQL irql;
        KeAcquireSpinLock(&channel->ReadLock, &irql);
        ReadRequest* current = channel->CurrentRead;
        BOOLEAN frameComplete = FALSE;
        ULONG frameLength = 0;
        ULONG count = camera.CamProcessUSBPacket(deviceExtension->StackDeviceObject, context,
                                                 current != nullptr ? frameContextOf(current) : nullptr, syncPacket,
                                                 syncByte, &dataPacket, packetBytes, &frameComplete, &frameLength);
        if (count > dataPacket.Length)
            count = dataPacket.Length;

        if (frameComplete && frameLength != 0) {
            ++channel->FramesCaptured;
            if (current != nullptr) {
                if (fixUpFrameHeader(current->RawDataPointer, current->BytesReceived, frameLength)) {
                    finished = current;
                    current = nullptr;
                } else {
                    // Part of the frame was lost on the way in: drop it.
                    current->BytesReceived = 0;
                }
            }
            if (current == nullptr) {
                current = takeNextRead(channel);
                if (current != nullptr)
                    camera.CamNewVideoFrame(context, frameContextOf(current));
            }
            channel->CurrentRead = current;
        } else if (frameComplete && current != nullptr) {
            current->BytesReceived = 0;  // a bad frame: the read waits for the next one
        } else if (current == nullptr && channel->AtStreamStart) {
            // The first frame after the start (a still download's first
            // picture) has a reader as soon as one waits.
            current = takeNextRead(channel);
            if (current != nullptr)
                camera.CamNewVideoFrame(context, frameContextOf(current));
            channel->CurrentRead = current;
        }
        channel->AtStreamStart = FALSE;

        if (current != nullptr && count != 0 && count <= rawDataCapacity(current) - current->BytesReceived) {
            RtlCopyMemory(current->RawDataPointer + current->BytesReceived, packetBytes, count);
            current->BytesReceived += count;
        }
        KeReleaseSpinLock(&channel->ReadLock, irql);

        if (finished != nullptr)
            USBCAMD_CompleteReadRequest(channel, finished);
    }
}

}  // namespace qm::morvax
