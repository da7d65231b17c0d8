#include "videodriver/camera/registers/register_io.h"

#include "videodriver/engine/vendor_command.h"

namespace qm::morvax {

namespace {

constexpr UCHAR kRegisterRequest = 0;
constexpr USHORT kRegisterValue = 0;

NTSTATUS transferRuns(MorvaxContext* context, USHORT first, PUCHAR values, ULONG count, BOOLEAN direction)
{
    // A run never wraps past the last register address.
    if (ULONG(first) + count > 0x10000)
        return STATUS_INVALID_PARAMETER;
    for (ULONG done = 0; done < count;) {
        const ULONG run = count - done < kRegistersPerRequest ? count - done : kRegistersPerRequest;
        ULONG length = run;
        const NTSTATUS status =
            USBCAMD_ControlVendorCommand(context, kRegisterRequest, kRegisterValue, USHORT(first + done),
                                         values + done, &length, direction, nullptr, nullptr);
        if (!NT_SUCCESS(status))
            return status;
        if (length != run)
            return STATUS_DEVICE_DATA_ERROR;
        done += run;
    }
    return STATUS_SUCCESS;
}

}  // namespace

NTSTATUS writeCameraRegisters(MorvaxContext* context, USHORT first, const UCHAR* values, ULONG count)
{
    // Written registers are only read from.
    return transferRuns(context, first, const_cast<PUCHAR>(values), count, kHostToDevice);
}

NTSTATUS readCameraRegisters(MorvaxContext* context, USHORT first, PUCHAR values, ULONG count)
{
    return transferRuns(context, first, values, count, kDeviceToHost);
}

}  // namespace qm::morvax
