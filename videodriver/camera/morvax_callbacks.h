// The camera layer's entry points for the streaming engine (the thirteen
// of CameraCallbacks) and the static table that carries them.
#pragma once

#include "videodriver/camera/morvax_context.h"
#include "videodriver/engine/camera_callbacks.h"

namespace qm::morvax {

extern const CameraCallbacks MorvaxCallbacks;

NTSTATUS MORVAX_Initialize(PDEVICE_OBJECT busDevice, PVOID context);
NTSTATUS MORVAX_UnInitialize(PDEVICE_OBJECT busDevice, PVOID context);
ULONG MORVAX_ProcessUSBPacket(PDEVICE_OBJECT busDevice, PVOID context, PVOID frameContext,
                              PUSBD_ISO_PACKET_DESCRIPTOR syncPacket, PVOID syncBuffer,
                              PUSBD_ISO_PACKET_DESCRIPTOR dataPacket, PVOID dataBuffer, PBOOLEAN frameComplete,
                              PULONG frameLength);
VOID MORVAX_NewVideoFrame(PVOID context, PVOID frameContext);
NTSTATUS MORVAX_ProcessRawVideoFrame(PDEVICE_OBJECT busDevice, PVOID context, PVOID frameContext,
                                     PVOID frameBuffer, ULONG frameLength, PVOID rawFrameBuffer,
                                     PVOID rawDataPointer, ULONG rawFrameLength, ULONG bytesReceived,
                                     PULONG bytesReturned);
NTSTATUS MORVAX_StartCapture(PDEVICE_OBJECT busDevice, PVOID context);
NTSTATUS MORVAX_StopCapture(PDEVICE_OBJECT busDevice, PVOID context);
NTSTATUS MORVAX_Configure(PDEVICE_OBJECT busDevice, PVOID context, PUSBD_INTERFACE_INFORMATION interface,
                          PUSB_CONFIGURATION_DESCRIPTOR configurationDescriptor, PLONG dataPipeIndex,
                          PLONG syncPipeIndex, PUSB_DEVICE_DESCRIPTOR deviceDescriptor);
NTSTATUS MORVAX_SaveState(PVOID context);
NTSTATUS MORVAX_RestoreState(PVOID context);
NTSTATUS MORVAX_AllocateBandwidth(PDEVICE_OBJECT busDevice, PVOID context, PULONG rawFrameLength, PVOID format);
NTSTATUS MORVAX_FreeBandwidth(PDEVICE_OBJECT busDevice, PVOID context);

inline MorvaxContext* morvaxContext(PVOID context) { return static_cast<MorvaxContext*>(context); }

}  // namespace qm::morvax
