// Direct register access for the driver's own tools: one address, selected
// driver-wide by id 101 of either the CameraControl or the private set, and
// read or written through id 102 of either.
#pragma once

#include "videodriver/properties/property_request.h"

namespace qm::morvax {

NTSTATUS selectRegister(const PropertyRequest& request);
NTSTATUS getSelectedRegister(MorvaxContext* context, PropertyRequest& request);
NTSTATUS setSelectedRegister(MorvaxContext* context, const PropertyRequest& request);

}  // namespace qm::morvax
