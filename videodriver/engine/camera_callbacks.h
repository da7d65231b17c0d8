// CameraCallbacks: the thirteen entry points through which the streaming
// engine calls the camera layer. The camera layer keeps the table as a
// static constant; HwInitialize copies it into the device extension. Every
// routine gets the camera's context (the MorvaxContext behind the engine's
// DeviceExtension) as an untyped pointer: the engine knows nothing of it.
#pragma once

#include "videodriver/engine/driver_platform.h"

namespace qm::morvax {

// "CAMC" in memory order.
inline constexpr ULONG kCameraCallbacksSignature = 0x434D4143;

using PCAM_INITIALIZE_ROUTINE = NTSTATUS (*)(PDEVICE_OBJECT busDevice, PVOID context);
using PCAM_CONFIGURE_ROUTINE = NTSTATUS (*)(PDEVICE_OBJECT busDevice, PVOID context,
                                            PUSBD_INTERFACE_INFORMATION interface,
                                            PUSB_CONFIGURATION_DESCRIPTOR configurationDescriptor,
                                            PLONG dataPipeIndex, PLONG syncPipeIndex,
                                            PUSB_DEVICE_DESCRIPTOR deviceDescriptor);
// Returns how many bytes of the data packet belong to the frame; reports a
// finished frame (on the packet after its last) with its length, 0 for a
// frame that must be dropped. Sync descriptor and byte are null/0 when the
// device has no sync pipe.
using PCAM_PROCESS_PACKET_ROUTINE = ULONG (*)(PDEVICE_OBJECT busDevice, PVOID context, PVOID frameContext,
                                              PUSBD_ISO_PACKET_DESCRIPTOR syncPacket, PVOID syncBuffer,
                                              PUSBD_ISO_PACKET_DESCRIPTOR dataPacket, PVOID dataBuffer,
                                              PBOOLEAN frameComplete, PULONG frameLength);
using PCAM_NEW_FRAME_ROUTINE = VOID (*)(PVOID context, PVOID frameContext);
using PCAM_PROCESS_FRAME_ROUTINE = NTSTATUS (*)(PDEVICE_OBJECT busDevice, PVOID context, PVOID frameContext,
                                                PVOID frameBuffer, ULONG frameLength, PVOID rawFrameBuffer,
                                                PVOID rawDataPointer, ULONG rawFrameLength, ULONG bytesReceived,
                                                PULONG bytesReturned);
using PCAM_START_CAPTURE_ROUTINE = NTSTATUS (*)(PDEVICE_OBJECT busDevice, PVOID context);
using PCAM_STOP_CAPTURE_ROUTINE = NTSTATUS (*)(PDEVICE_OBJECT busDevice, PVOID context);
using PCAM_SAVE_STATE_ROUTINE = NTSTATUS (*)(PVOID context);
using PCAM_RESTORE_STATE_ROUTINE = NTSTATUS (*)(PVOID context);
using PCAM_ALLOCATE_BANDWIDTH_ROUTINE = NTSTATUS (*)(PDEVICE_OBJECT busDevice, PVOID context,
                                                     PULONG rawFrameLength, PVOID format);
using PCAM_FREE_BANDWIDTH_ROUTINE = NTSTATUS (*)(PDEVICE_OBJECT busDevice, PVOID context);

struct CameraCallbacks {
    ULONG Signature;
    PCAM_INITIALIZE_ROUTINE CamInitialize;
    PCAM_INITIALIZE_ROUTINE CamUnInitialize;
    PCAM_PROCESS_PACKET_ROUTINE CamProcessUSBPacket;
    PCAM_NEW_FRAME_ROUTINE CamNewVideoFrame;
    PCAM_PROCESS_FRAME_ROUTINE CamProcessRawVideoFrame;
    PCAM_START_CAPTURE_ROUTINE CamStartCapture;
    PCAM_STOP_CAPTURE_ROUTINE CamStopCapture;
    PCAM_CONFIGURE_ROUTINE CamConfigure;
    PCAM_SAVE_STATE_ROUTINE CamSaveState;
    PCAM_RESTORE_STATE_ROUTINE CamRestoreState;
    PCAM_ALLOCATE_BANDWIDTH_ROUTINE CamAllocateBandwidth;
    PCAM_FREE_BANDWIDTH_ROUTINE CamFreeBandwidth;
};

}  // namespace qm::morvax
