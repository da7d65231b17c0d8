// The capture channel of the open stream and the stream open and close
// requests. Channel operations run one at a time under the device's call
// semaphore.
#pragma once

#include "videodriver/engine/channel.h"

namespace qm::morvax {

// Status of an open refused because a stream is already open in the driver.
inline constexpr NTSTATUS kStreamAlreadyOpen = NTSTATUS(0xC0000000);

NTSTATUS USBCAMD_OpenChannel(DeviceExtension* deviceExtension, Channel* channel, ULONG streamNumber);
NTSTATUS USBCAMD_PrepareChannel(DeviceExtension* deviceExtension, Channel* channel, PVOID format);
NTSTATUS USBCAMD_UnPrepareChannel(DeviceExtension* deviceExtension, Channel* channel);
NTSTATUS USBCAMD_StartChannel(DeviceExtension* deviceExtension, Channel* channel);
NTSTATUS USBCAMD_StopChannel(DeviceExtension* deviceExtension, Channel* channel);
NTSTATUS USBCAMD_CloseChannel(DeviceExtension* deviceExtension, Channel* channel);

// SRB_OPEN_STREAM and SRB_CLOSE_STREAM; both set the request's status.
void AdapterOpenStream(PHW_STREAM_REQUEST_BLOCK srb);
void AdapterCloseStream(PHW_STREAM_REQUEST_BLOCK srb);

// The call semaphore around one channel operation.
class CallSemaphoreGuard {
public:
    explicit CallSemaphoreGuard(DeviceExtension* deviceExtension) : semaphore_(&deviceExtension->CallSemaphore)
    {
        KeWaitForSingleObject(semaphore_, Executive, KernelMode, FALSE, nullptr);
    }
    ~CallSemaphoreGuard() { KeReleaseSemaphore(semaphore_, IO_NO_INCREMENT, 1, FALSE); }
    CallSemaphoreGuard(const CallSemaphoreGuard&) = delete;
    CallSemaphoreGuard& operator=(const CallSemaphoreGuard&) = delete;

private:
    PKSEMAPHORE semaphore_;
};

}  // namespace qm::morvax
