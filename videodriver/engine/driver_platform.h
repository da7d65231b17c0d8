// What the driver gets from its platform: kernel services, the USB driver
// interface and the stream class, with their names brought into the
// driver's namespace so the code reads like the platform's own.
#pragma once

#include "platform/kernel/kernel.h"
#include "platform/usbd/urb.h"
#include "platform/usbd/usbdlib.h"
#include "platform/usbd/usbioctl.h"
#include "platform/streamclass/ks_video.h"
#include "platform/streamclass/strmini.h"

namespace qm::morvax {

using namespace qm::kernel;
using namespace qm::usbd;
using namespace qm::streamclass;

// Every pool block of the driver carries this tag.
inline constexpr ULONG kPoolTag = makePoolTag("Wdm ");

inline PVOID allocatePool(SIZE_T bytes) { return ExAllocatePoolWithTag(NonPagedPool, bytes, kPoolTag); }
inline void freePool(PVOID block) { ExFreePoolWithTag(block, kPoolTag); }

}  // namespace qm::morvax
