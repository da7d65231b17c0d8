// The camera controller's byte registers on the wire: vendor requests with
// request 0, value 0 and the first register's address as index, at most 64
// registers per request. Passive level only.
#pragma once

#include "videodriver/camera/morvax_context.h"

namespace qm::morvax {

inline constexpr ULONG kRegistersPerRequest = 64;

// Writes `count` consecutive registers from `first`; longer runs are split.
NTSTATUS writeCameraRegisters(MorvaxContext* context, USHORT first, const UCHAR* values, ULONG count);
// Reads them; fails unless every byte arrived.
NTSTATUS readCameraRegisters(MorvaxContext* context, USHORT first, PUCHAR values, ULONG count);

inline NTSTATUS writeCameraRegister(MorvaxContext* context, USHORT address, UCHAR value)
{
    return writeCameraRegisters(context, address, &value, 1);
}

}  // namespace qm::morvax
