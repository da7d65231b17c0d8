// DriverEntry, the one export of libmorvax.so: registers the Morvax camera
// with the stream class.
#include "platform/system/export.h"
#include "videodriver/camera/adapter_receive_packet.h"
#include "videodriver/camera/driver_globals.h"
#include "videodriver/camera/morvax_context.h"
#include "videodriver/engine/adapter_dispatch.h"

QM_EXPORT qm::kernel::NTSTATUS DriverEntry(qm::kernel::PDRIVER_OBJECT driverObject,
                                           qm::kernel::PUNICODE_STRING registryPath)
{
    using namespace qm::morvax;
    resetDriverGlobals();
    return USBCAMD_DriverEntry(driverObject, registryPath, ULONG(sizeof(MorvaxContext)), kFrameContextSize,
                               MORVAX_AdapterReceivePacket);
}
